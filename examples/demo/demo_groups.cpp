// The demo's settings groups (demo_groups.h).
#include "demo_groups.h"

namespace orvane::demo {

std::vector<PropertyGroup> MakeSettingsGroups(QString& error) {
    PropertyGroup general(QStringLiteral("General"));
    general.addItem("Project name", "Quarterly report");
    general.addItem("Author", "Dana Whitfield");
    general.addItem("Language", "English", {"English", "Deutsch", "Français", "Español", "Italiano"});
    general.addItem("Auto-save", "Every 5 minutes", {"Off", "Every minute", "Every 5 minutes", "Every 15 minutes"});
    general.addItem("Backup folder", "~/Documents/Backups");
    general.addItem("Keep versions", "10");
    general.addItem("Open last project", "Yes", {"Yes", "No"});

    PropertyGroup appearance(QStringLiteral("Appearance"));
    appearance.addItem("Theme", "System", {"Light", "Dark", "System"});
    appearance.addItem("Accent colour", "#2E6FD8");
    appearance.addItem("Font size", "10 pt", {"8 pt", "9 pt", "10 pt", "11 pt", "12 pt", "14 pt"});
    appearance.addItem("Show toolbar", "Yes", {"Yes", "No"});
    appearance.addItem("Show status bar", "Yes", {"Yes", "No"});
    appearance.addItem("Window title", "%project% - Editor");

    PropertyGroup network(QStringLiteral("Network"));
    network.addItem("Proxy", "System", {"None", "System", "Manual"});
    network.addItem("Proxy host", "proxy.example.org");
    network.addItem("Proxy port", "8080");
    network.addItem("Timeout (seconds)", "30");
    network.addItem("Retries", "3", {"0", "1", "2", "3", "5", "10"});
    network.addItem("Update channel", "Stable", {"Stable", "Beta", "Nightly"});

    // A few thousand printable characters from U+00A0 on, each with its own entry.
    PropertyGroup characters(QStringLiteral("Character map"));
    int added = 0;
    for (char32_t code = 0xA0; added < 3000; ++code) {
        const QString text = QString::fromUcs4(&code, 1);
        if (!text.at(0).isPrint() || text.at(0).isSpace()) continue;
        characters.addItem(QStringLiteral("U+%1").arg(static_cast<uint>(code), 4, 16, QLatin1Char('0')).toUpper(), text);
        ++added;
    }

    // A group keeps the reason of its last failure: a group that could not be made, or
    // an item that could not be added, fails the whole form.
    std::vector<PropertyGroup> groups{general, appearance, network, characters};
    for (const PropertyGroup& group : groups) {
        if (group.isNull() || !group.errorString().isEmpty()) {
            error = group.errorString();
            return {};
        }
    }
    return groups;
}

}  // namespace orvane::demo
