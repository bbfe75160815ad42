#include "app/menus/source_menu_win.h"

#include "app/program/app_win.h"
#include "app/settings/extra_settings.h"
#include "app/status/status_loop_win.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kRecordFormatIds[kRecordFormatCount] = {IDM_RECORD_PCM16, IDM_RECORD_PCM24, IDM_RECORD_FLOAT32};

// One choice for every source: the file that plays and the audio endpoint.
void ApplyChannel(App& app) {
    if (app.fileSource) app.fileSource->SetChannel(app.extraSettings->channel);
    if (app.inputPaths) app.inputPaths->SetChannel(app.extraSettings->channel);
}

}  // namespace

bool HandleSourceCommand(App& app, int id) {
    if (id >= IDM_CHANNEL_MIX && id <= IDM_CHANNEL_MIX + kMaxChosenChannel) {
        app.extraSettings->channel = id - IDM_CHANNEL_MIX;
        ApplyChannel(app);
        SyncSourceMenu(app.hwnd, *app.extraSettings);
        RefreshStatus(app);
        return true;
    }
    for (int i = 0; i < kRecordFormatCount; ++i) {
        if (id == kRecordFormatIds[i]) {
            app.extraSettings->recordFormat = static_cast<RecordFormat>(i);
            SyncSourceMenu(app.hwnd, *app.extraSettings);
            return true;
        }
    }
    return false;
}

void ApplySourceSettings(App& app) {
    ApplyChannel(app);
    SyncSourceMenu(app.hwnd, *app.extraSettings);
}

void SyncSourceMenu(HWND hwnd, const ExtraSettings& extra) {
    HMENU menu = GetMenu(hwnd);
    if (!menu) return;
    CheckMenuRadioItem(menu, IDM_CHANNEL_MIX, IDM_CHANNEL_MIX + kMaxChosenChannel, IDM_CHANNEL_MIX + extra.channel,
                       MF_BYCOMMAND);
    CheckMenuRadioItem(menu, kRecordFormatIds[0], kRecordFormatIds[kRecordFormatCount - 1],
                       kRecordFormatIds[static_cast<int>(extra.recordFormat)], MF_BYCOMMAND);
}
