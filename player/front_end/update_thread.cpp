#include "update_thread.h"

#include <windows.h>

#include <memory>

#include "channel_database.h"
#include "close_gate.h"
#include "code_page.h"
#include "ini_file.h"
#include "main_form.h"
#include "player_paths.h"
#include "player_texts.h"
#include "update_attempt.h"
#include "update_description.h"

namespace zentavo {

shenjixc* UpdateThread = nullptr;
int UpdateServerIndex = 0;

TK_CLASS_INFO(shenjixc, tk::TThread)

namespace {
// The player's files in "vororur" and its main window, for one attempt on the update thread.
class PlayerUpdateEnvironment : public UpdateEnvironment {
public:
    explicit PlayerUpdateEnvironment(TForm1* form)
        : form_(form), settings_(PlayerFileW(L"zhuce.ini")), descriptionPath_(PlayerFileW(L"up.ini")),
          downloadPath_(PlayerFileW(L"linshi.xml")), databasePath_(PlayerFileW(L"bfsjk.xml")) {}

    std::vector<std::wstring> SettingsKeys(const std::wstring& section) override { return settings_.ReadSection(section); }
    std::wstring SettingsValue(const std::wstring& section, const std::wstring& key) override {
        return settings_.ReadString(section, key, L"");
    }
    void WriteSetting(const std::wstring& section, const std::wstring& key, const std::wstring& value) override {
        settings_.WriteString(section, key, value);
    }
    void ReplaceServerList(const ServerList& servers, const std::wstring& date) override {
        UnlessClosing([&] {
            settings_.EraseSection(update_keys::kServers);
            for (const auto& entry : servers) settings_.WriteString(update_keys::kServers, entry.first, entry.second);
            settings_.WriteString(update_keys::kServerDate, update_keys::kDate, date);
        });
    }

    bool DownloadDescription(const std::wstring& url) override {
        if (!form_->DownloadFile(url, descriptionPath_)) return false;
        description_ = std::make_unique<tk::TIniFile>(descriptionPath_);
        return true;
    }
    bool DescriptionHasSection(const std::wstring& section) override { return description_->SectionExists(section); }
    std::vector<std::wstring> DescriptionKeys(const std::wstring& section) override {
        return description_->ReadSection(section);
    }
    std::wstring DescriptionValue(const std::wstring& section, const std::wstring& key) override {
        return description_->ReadString(section, key, L"");
    }

    bool DownloadDatabase(const std::wstring& url) override {
        DeleteFileW(downloadPath_.c_str());
        return form_->DownloadFile(url, downloadPath_);
    }
    bool DownloadedDatabaseIsValid() override { return IsChannelDatabaseFile(downloadPath_); }
    bool ReplaceDatabase() override {
        return MoveFileExW(downloadPath_.c_str(), databasePath_.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    void DiscardDownloadedDatabase() override { DeleteFileW(downloadPath_.c_str()); }
    void DatabaseReplaced() override {
        TForm1* form = form_;
        tk::TThread::Synchronize([form] {
            form->Panel5->Show();
            form->TreeView1->Hide();
            form->SetPanelText(0, kUpdatingListWait);
        });
        form->ReloadPending = 1;  // Timer2Timer reloads the tree on the GUI thread
    }

    std::string ComparableBytes(const std::wstring& text) override { return tk::WideToCodePage(text, tk::kGbkCodePage); }

private:
    TForm1* form_;
    tk::TIniFile settings_;
    std::unique_ptr<tk::TIniFile> description_;
    std::wstring descriptionPath_, downloadPath_, databasePath_;
};
}  // namespace

// Started only once the object is complete, so Execute never runs on a half-built thread.
shenjixc::shenjixc() : TThread(true, true) { Start(); }

void shenjixc::Execute() {
    std::size_t serverCount = 0;
    bool delivered = false;
    try {
        if (Form1 != nullptr) {
            PlayerUpdateEnvironment environment(Form1);
            delivered = RunUpdateAttempt(environment, UpdateServerIndex, serverCount);
        }
    } catch (...) {
        delivered = false;
    }
    DeleteFileW(PlayerFileW(L"up.ini").c_str());
    if (delivered || PlayerClosing()) return;
    int next = NextServerIndex(UpdateServerIndex, serverCount);
    if (next < 0) return;
    UpdateServerIndex = next;
    try {
        UpdateThread = new shenjixc();
    } catch (...) {
        // Without a thread for the next server the update check ends here.
    }
}

void EndUpdatingForClose() {
    CloseGate();
    for (const wchar_t* name : {L"up.ini", L"linshi.xml"}) {
        const std::wstring path = PlayerFileW(name);
        // The update thread may be reading the file for a moment (the profile API holds it
        // open without letting it be deleted); a download's own file is deleted at once.
        for (int attempt = 0; attempt < 20 && !DeleteFileW(path.c_str()); ++attempt) {
            if (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND) break;
            Sleep(10);
        }
    }
}

}  // namespace zentavo
