// The player's own texts, exactly as the viewer sees them.
#pragma once

namespace zentavo {

inline constexpr wchar_t kTitle[] = L"Kestrav卫星网络电视";
inline constexpr wchar_t kRecorderCaption[] = L"Kestrav卫星网络电视[录像]";
inline constexpr char kInstanceMutexName[] = "irgendwaseinmaligeszentavo";

inline constexpr wchar_t kWaitingToPlay[] = L"等待播放";
inline constexpr wchar_t kVersion[] = L"版本：V1.40";
inline constexpr wchar_t kBufferingHint[] = L"开始连接缓冲时较慢或卡，请耐心等待稍后会非常流畅、清晰。";
inline constexpr wchar_t kPaused[] = L"暂停";
inline constexpr wchar_t kPlayingPrefix[] = L"正在播放:";

inline constexpr wchar_t kChannelListTab[] = L"节目列表";
inline constexpr wchar_t kFavouritesTab[] = L"收藏夹";
inline constexpr wchar_t kUpdatingList[] = L"正在更新节目列表";
inline constexpr wchar_t kTreeHint[] = L"请选择节目双击播放";
inline constexpr wchar_t kToggleListHint[] = L"显示、隐藏节目列表";

inline constexpr wchar_t kMediaFilter[] =
    L"*.mid;*.midi;*.rmi;*.au;*.snd;*.mp3;*.m3u;*.vob;*.swf;*.wav;*.wma;*.asf;*.wmp;*.wmv;*.avi;*.wmz;*.mpeg;*.mpg|"
    L"*.mid;*.midi;*.rmi;*.au;*.snd;*.mp3;*.m3u;*.vob;*.swf;*.wav;*.wma;*.asf;*.wmp;*.wmv;*.avi;*.wmz;*.mpeg;*.mpg";

// Menu captions; their spaces belong to them.
inline constexpr wchar_t kMenuFile[] = L" 文  件";
inline constexpr wchar_t kMenuOpenFile[] = L"打开文件";
inline constexpr wchar_t kMenuExit[] = L"退出";
inline constexpr wchar_t kMenuPlayback[] = L" 播 放 ";
inline constexpr wchar_t kMenuPlay[] = L"播放";
inline constexpr wchar_t kMenuPause[] = L"暂停";
inline constexpr wchar_t kMenuStop[] = L"停止";
inline constexpr wchar_t kMenuFullScreen[] = L"全屏";
inline constexpr wchar_t kMenuMute[] = L"静音";
inline constexpr wchar_t kMenuSettings[] = L" 设 置 ";
inline constexpr wchar_t kMenuConnection[] = L"连接设置";
inline constexpr wchar_t kMenuRecorder[] = L"录像工具";
inline constexpr wchar_t kMenuHelp[] = L" 帮 助 ";
inline constexpr wchar_t kMenuManual[] = L"使用说明";
inline constexpr wchar_t kMenuNeededSoftware[] = L"必备软件";
inline constexpr wchar_t kMenuMediaPlayer[] = L"Windows Media player9.0";
inline constexpr wchar_t kMenuRealPlayer[] = L"Realplayer10.0";
inline constexpr wchar_t kMenuAbout[] = L"关于...";
inline constexpr wchar_t kMenuAddFavourite[] = L"添加到收藏夹";
inline constexpr wchar_t kMenuRemove[] = L"删除";

// The connection-settings dialog.
inline constexpr wchar_t kSettingsCaption[] = L"连接设置";
inline constexpr wchar_t kPortHeader[] = L"端口设置";
inline constexpr wchar_t kUdpPortLabel[] = L"UDP端口";
inline constexpr wchar_t kTcpPortLabel[] = L"TCP端口";
inline constexpr wchar_t kConnectionHeader[] = L"连接设置";
inline constexpr wchar_t kNetworkTypeGroup[] = L"选择网络类型";
inline constexpr wchar_t kNetworkAdsl512k[] = L"ADSL 512K";
inline constexpr wchar_t kNetworkAdsl2m[] = L"ADSL 2M";
inline constexpr wchar_t kNetworkEstate[] = L"小区宽带";
inline constexpr wchar_t kNetworkAdsl1m[] = L"ADSL 1M";
inline constexpr wchar_t kNetworkEducation[] = L"教育网";
inline constexpr wchar_t kNetworkOther[] = L"其它宽带";
inline constexpr wchar_t kChannelLimitLabel[] = L"每个频道最大连接个数";
inline constexpr wchar_t kOutgoingLimitLabel[] = L"最大同时发出网路连接个数";
inline constexpr wchar_t kUpnpSwitch[] = L"Upnp开启";
inline constexpr wchar_t kLiftLimitSwitch[] = L"自动破解连接数";
inline constexpr wchar_t kOkButton[] = L"确定";
inline constexpr wchar_t kCancelButton[] = L"取消";

// The channel tree, favourites and the update thread.
inline constexpr wchar_t kListUpdated[] = L"节目列表已更新";
inline constexpr wchar_t kUpdatingListWait[] = L"正在更新节目列表，请稍后...";

// The splash and the about box.
inline constexpr wchar_t kLoading[] = L"正在加载中：";
inline constexpr wchar_t kAboutCaption[] = L"关于...";
inline constexpr wchar_t kAboutVersion[] = L"版本：1.40";
inline constexpr wchar_t kAboutContact[] = L"联系方式：请见随附的说明文件";
inline constexpr wchar_t kAboutNotice[] = L"本程序仅供学习与测试使用";

// Where the viewer can get the two media players of the "必备软件" submenu.
inline constexpr char kMediaPlayerPage[] = "http://www.microsoft.com/windows/windowsmedia/download/";
inline constexpr char kRealPlayerPage[] = "http://www.real.com/";

}  // namespace zentavo
