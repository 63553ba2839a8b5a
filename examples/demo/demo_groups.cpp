// The demo's settings groups (demo_groups.h).
#include "demo_groups.h"

#include <initializer_list>

#include <comrt/resource.h>
#include <testing/groups.h>

namespace orvane::demo {
namespace {

QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

Group NewGroup(const QString& name) { return pg_testing::NewGroup(name.toStdU16String()); }

// Appends an item; with choices, a drop-down item (type 1) whose list starts at 0.
void Add(_clsTessel& group, const QString& name, const QString& value,
         std::initializer_list<const char*> choices = {}) {
    pg_testing::Item item{name.toStdU16String(), value.toStdU16String()};
    for (const char* choice : choices) item.choices.push_back(QString::fromUtf8(choice).toStdU16String());
    pg_testing::AddItem(group, item);
}

}  // namespace

std::vector<Group> MakeSettingsGroups() {
    Group general = NewGroup("General");
    Add(*general, "Project name", "Quarterly report");
    Add(*general, "Author", "Dana Whitfield");
    Add(*general, "Language", "English", {"English", "Deutsch", "Français", "Español", "Italiano"});
    Add(*general, "Auto-save", "Every 5 minutes", {"Off", "Every minute", "Every 5 minutes", "Every 15 minutes"});
    Add(*general, "Backup folder", "~/Documents/Backups");
    Add(*general, "Keep versions", "10");
    Add(*general, "Open last project", "Yes", {"Yes", "No"});

    Group appearance = NewGroup("Appearance");
    Add(*appearance, "Theme", "System", {"Light", "Dark", "System"});
    Add(*appearance, "Accent colour", "#2E6FD8");
    Add(*appearance, "Font size", "10 pt", {"8 pt", "9 pt", "10 pt", "11 pt", "12 pt", "14 pt"});
    Add(*appearance, "Show toolbar", "Yes", {"Yes", "No"});
    Add(*appearance, "Show status bar", "Yes", {"Yes", "No"});
    Add(*appearance, "Window title", "%project% - Editor");

    Group network = NewGroup("Network");
    Add(*network, "Proxy", "System", {"None", "System", "Manual"});
    Add(*network, "Proxy host", "proxy.example.org");
    Add(*network, "Proxy port", "8080");
    Add(*network, "Timeout (seconds)", "30");
    Add(*network, "Retries", "3", {"0", "1", "2", "3", "5", "10"});
    Add(*network, "Update channel", "Stable", {"Stable", "Beta", "Nightly"});

    // A few thousand printable characters from U+00A0 on, each with its own entry.
    Group characters = NewGroup("Character map");
    int added = 0;
    for (char32_t code = 0xA0; added < 3000; ++code) {
        const QString text = QString::fromUcs4(&code, 1);
        if (!text.at(0).isPrint() || text.at(0).isSpace()) continue;
        Add(*characters, QStringLiteral("U+%1").arg(static_cast<uint>(code), 4, 16, QLatin1Char('0')).toUpper(), text);
        ++added;
    }

    return {general, appearance, network, characters};
}

QString GroupName(_clsTessel& group) {
    comrt::Bstr name;
    comrt::check(group.get_PropertyGroupName(name.put()));
    return ToQString(name.view());
}

std::vector<std::pair<QString, QString>> ReadItems(_clsTessel& group) {
    std::vector<std::pair<QString, QString>> read;
    for (const auto& [name, value] : pg_testing::ItemTexts(group)) read.emplace_back(ToQString(name), ToQString(value));
    return read;
}

}  // namespace orvane::demo
