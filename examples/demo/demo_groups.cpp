// The demo's settings groups (demo_groups.h).
#include "demo_groups.h"

#include <initializer_list>

#include <comrt/objbase.h>
#include <comrt/resource.h>

namespace orvane::demo {
namespace {

QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string ToU16(const QString& text) { return text.toStdU16String(); }

Group NewGroup(const QString& name) {
    Group group;
    comrt::check(CoCreateInstance(CLSID_clsTessel, nullptr, CLSCTX_INPROC_SERVER, comrt::iid_of<_clsTessel>(),
                                  group.put_void()));
    comrt::check(group->put_PropertyGroupName(comrt::Bstr(ToU16(name)).get()));
    return group;
}

// Appends an item; with choices, a drop-down item (type 1) whose list starts at 0.
void Add(_clsTessel& group, const QString& name, const QString& value,
         std::initializer_list<const char*> choices = {}) {
    comrt::Bstr item_name(ToU16(name));
    comrt::Bstr item_value(ToU16(value));
    BSTR name_arg = item_name.get();
    BSTR value_arg = item_value.get();
    SHORT type = choices.size() == 0 ? 0 : 1;
    comrt::SafeArrayPtr list;
    if (type == 1) {
        list.reset(SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(choices.size())));
        if (!list) throw comrt::com_error(E_OUTOFMEMORY);
        LONG index = 0;
        for (const char* choice : choices) {
            comrt::Bstr text(ToU16(QString::fromUtf8(choice)));
            comrt::check(SafeArrayPutElement(list.get(), &index, text.get()));
            ++index;
        }
    }
    SAFEARRAY* list_arg = list.get();
    LONG result = 0;
    comrt::check(group.AddItem(&name_arg, &value_arg, &type, &list_arg, &result));
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
    comrt::ComPtr<_Collection> items;
    comrt::check(group.get_ItemsCollection(items.put()));
    LONG count = 0;
    comrt::check(items->Count(&count));
    std::vector<std::pair<QString, QString>> read;
    read.reserve(static_cast<std::size_t>(count));
    for (LONG position = 1; position <= count; ++position) {
        comrt::Variant index;
        index->vt = VT_I4;
        index->lVal = position;
        comrt::Variant element;
        comrt::check(items->Item(index.get(), element.put()));
        if (element.vt() != VT_DISPATCH || !V_DISPATCH(element.get())) throw comrt::com_error(DISP_E_TYPEMISMATCH);
        const auto item = comrt::ComPtr<IDispatch>(V_DISPATCH(element.get())).as<_clsPropertyItem>();
        comrt::Bstr name;
        comrt::Bstr value;
        comrt::check(item->get_ItemName(name.put()));
        comrt::check(item->get_ItemValue(value.put()));
        read.emplace_back(ToQString(name.view()), ToQString(value.view()));
    }
    return read;
}

}  // namespace orvane::demo
