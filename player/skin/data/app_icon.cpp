// The caption icon the form skinner draws: the application window's icon at the small-icon
// size, on magenta so that only the icon's own pixels show.
#include "application.h"
#include "skin_data.h"
#include "skin_picture.h"

namespace skin {
namespace {

HICON ApplicationIcon() {
    if (tk::Application == nullptr || tk::Application->Handle() == nullptr) return nullptr;
    HWND window = tk::Application->Handle();
    auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
    if (icon == nullptr) icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
    return icon;
}

}  // namespace

void TSkinData::TakeApplicationIcon() {
    const int width = GetSystemMetrics(SM_CXSMICON), height = GetSystemMetrics(SM_CYSMICON);
    tk::TBitmap picture;
    picture.SetSize(width, height);
    picture.Canvas().Brush().SetColor(kKeyColour);
    picture.Canvas().FillRect({0, 0, width, height});
    HICON icon = ApplicationIcon();
    if (icon == nullptr) return;
    auto copy = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, width, height, LR_COPYFROMRESOURCE));
    if (copy == nullptr) return;
    DrawIconEx(picture.Canvas().Handle(), 0, 0, copy, width, height, 0, nullptr, DI_NORMAL);
    DestroyIcon(copy);
    AppIcon.Assign(&picture);
    AppIcon.SetTransparent(true);
    AppIcon.SetTransparentColor(kKeyColour);
}

}  // namespace skin
