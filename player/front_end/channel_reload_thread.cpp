#include "channel_reload_thread.h"

#include <algorithm>

#include "channel_database.h"
#include "main_form.h"
#include "player_paths.h"
#include "player_texts.h"

namespace zentavo {

sjhgx* ChannelReloadThread = nullptr;

namespace {
constexpr int kRowsPerCall = 100;
}  // namespace

TK_CLASS_INFO(sjhgx, tk::TThread)

// Started only once the object is complete, so Execute never runs on a half-built thread.
sjhgx::sjhgx() : TThread(true, true) { Start(); }

void sjhgx::Execute() {
    TForm1* form = Form1;
    if (form == nullptr) return;
    bool filled = false;
    try {
        tk::TXMLDocument database(nullptr);
        database.LoadFromFile(PlayerFileW(L"bfsjk.xml"));
        std::vector<ChannelRow> rows = ReadChannelRows(database);
        const int count = static_cast<int>(rows.size());
        Synchronize([form, count] { form->Gauge1->SetMaxValue(count - 1); });
        // One call to the GUI thread per batch of rows, not per row: a large database would
        // otherwise wait on thousands of thread switches.
        for (int first = 0; first < count; first += kRowsPerCall) {
            const int end = std::min(count, first + kRowsPerCall);
            Synchronize([form, &rows, first, end] {
                for (int i = first; i < end; ++i) {
                    const ChannelRow& row = rows[static_cast<size_t>(i)];
                    form->Gauge1->SetProgress(i);
                    if (row.usable) form->AddChannelNode(row.entry.group, row.entry.name);
                }
            });
        }
        Synchronize([form] { form->TreeView1->FullCollapse(); });
        filled = true;
    } catch (...) {
        // The tree keeps what was added; the list is uncovered below all the same.
    }
    try {
        // Whatever happened above, the tree must not stay hidden behind the progress panel.
        Synchronize([form, filled] {
            form->Panel5->Hide();
            form->TreeView1->Show();
            if (filled) form->SetPanelText(0, kListUpdated);
        });
    } catch (...) {
        // A thread that ends must not take the program down; the tree stays as it is.
    }
}

}  // namespace zentavo
