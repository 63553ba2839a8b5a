// The demo's settings groups (demo_groups.h).
#include "demo_groups.h"

#include <orvane/qt_types.h>

namespace orvane::demo {

std::vector<Group> MakeSettingsGroups() {
    Group general = NewGroup("General");
    AddItem(*general, "Project name", "Quarterly report");
    AddItem(*general, "Author", "Dana Whitfield");
    AddItem(*general, "Language", "English", {"English", "Deutsch", "Français", "Español", "Italiano"});
    AddItem(*general, "Auto-save", "Every 5 minutes", {"Off", "Every minute", "Every 5 minutes", "Every 15 minutes"});
    AddItem(*general, "Backup folder", "~/Documents/Backups");
    AddItem(*general, "Keep versions", "10");
    AddItem(*general, "Open last project", "Yes", {"Yes", "No"});

    Group appearance = NewGroup("Appearance");
    AddItem(*appearance, "Theme", "System", {"Light", "Dark", "System"});
    AddItem(*appearance, "Accent colour", "#2E6FD8");
    AddItem(*appearance, "Font size", "10 pt", {"8 pt", "9 pt", "10 pt", "11 pt", "12 pt", "14 pt"});
    AddItem(*appearance, "Show toolbar", "Yes", {"Yes", "No"});
    AddItem(*appearance, "Show status bar", "Yes", {"Yes", "No"});
    AddItem(*appearance, "Window title", "%project% - Editor");

    Group network = NewGroup("Network");
    AddItem(*network, "Proxy", "System", {"None", "System", "Manual"});
    AddItem(*network, "Proxy host", "proxy.example.org");
    AddItem(*network, "Proxy port", "8080");
    AddItem(*network, "Timeout (seconds)", "30");
    AddItem(*network, "Retries", "3", {"0", "1", "2", "3", "5", "10"});
    AddItem(*network, "Update channel", "Stable", {"Stable", "Beta", "Nightly"});

    // A few thousand printable characters from U+00A0 on, each with its own entry.
    Group characters = NewGroup("Character map");
    int added = 0;
    for (char32_t code = 0xA0; added < 3000; ++code) {
        const QString text = QString::fromUcs4(&code, 1);
        if (!text.at(0).isPrint() || text.at(0).isSpace()) continue;
        AddItem(*characters, QStringLiteral("U+%1").arg(static_cast<uint>(code), 4, 16, QLatin1Char('0')).toUpper(), text);
        ++added;
    }

    return {general, appearance, network, characters};
}

}  // namespace orvane::demo
