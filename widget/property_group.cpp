// Property groups as Qt values (orvane/property_group.h).
#include <orvane/property_group.h>

#include <utility>

#include <comrt/error.h>
#include <comrt/string_array.h>
#include <orvane/qt_types.h>

namespace orvane {

QString ErrorText(HRESULT hr) {
    struct Known {
        HRESULT hr;
        const char* description;
    };
    // What a Qt host can meet besides the run-time errors, which have their own catalogue.
    static const Known kKnown[] = {
        {E_OUTOFMEMORY, "Out of memory"},
        {REGDB_E_CLASSNOTREG, "The library is neither beside libcomrt.so nor registered"},
        {CO_E_DLLNOTFOUND, "The library file is missing"},
        {CO_E_ERRORINDLL, "The library cannot be loaded"},
        {E_UNEXPECTED, "The control is not active"},
        {E_NOINTERFACE, "The object lacks the interface"},
        {E_INVALIDARG, "Invalid argument"},
        {E_POINTER, "Null pointer"},
        {E_FAIL, "Unspecified failure"},
    };
    const auto code = static_cast<quint32>(hr);
    QString description;
    if ((code & 0xFFFF0000u) == 0x800A0000u) {
        if (const OLECHAR* text = comrt::runtime_description(static_cast<int>(code & 0xFFFFu)))
            description = QString::fromUtf16(text);
    }
    for (const Known& known : kKnown)
        if (description.isEmpty() && known.hr == hr) description = QString::fromLatin1(known.description);
    if (description.isEmpty()) description = QStringLiteral("Failure");
    return QStringLiteral("%1 (0x%2)").arg(description, QString::number(code, 16).toUpper().rightJustified(8, u'0'));
}

PropertyGroup::PropertyGroup(const QString& name) {
    try {
        group_ = NewGroup(name);
    } catch (const comrt::com_error& error) {
        error_ = ErrorText(error.code());
    } catch (...) {
        error_ = ErrorText(E_OUTOFMEMORY);
    }
}

PropertyGroup::PropertyGroup(comrt::ComPtr<_clsTessel> group) : group_(std::move(group)) {}

template <typename Step>
bool PropertyGroup::attempt(Step&& step) const {
    try {
        // A null group is an object variable that was never set.
        if (!group_) throw comrt::com_error(comrt::runtime_hresult(comrt::runtime_error::object_not_set));
        std::forward<Step>(step)();
        return true;
    } catch (const comrt::com_error& error) {
        error_ = ErrorText(error.code());
    } catch (const std::bad_alloc&) {
        error_ = ErrorText(E_OUTOFMEMORY);
    } catch (...) {
        error_ = ErrorText(E_UNEXPECTED);
    }
    return false;
}

QString PropertyGroup::name() const {
    QString name;
    attempt([&] { name = ToQString(tessel::GroupName(*group_)); });
    return name;
}

bool PropertyGroup::setName(const QString& name) {
    return attempt([&] { comrt::check(group_->put_PropertyGroupName(comrt::Bstr(ToOleString(name)).get())); });
}

int PropertyGroup::count() const {
    int count = 0;
    attempt([&] { count = static_cast<int>(tessel::ItemCount(*group_)); });
    return count;
}

bool PropertyGroup::addItem(const QString& name, const QString& value) {
    return attempt([&] { AddItem(*group_, name, value); });
}

bool PropertyGroup::addItem(const QString& name, const QString& value, const QStringList& choices) {
    return attempt([&] { AddItem(*group_, name, value, choices); });
}

QString PropertyGroup::itemName(int row) const {
    QString name;
    attempt([&] {
        comrt::Bstr text;
        comrt::check(tessel::ItemAt(*group_, row + 1)->get_ItemName(text.put()));
        name = ToQString(text.view());
    });
    return name;
}

int PropertyGroup::indexOf(const QString& name) const {
    int found = -1;
    attempt([&] {
        const auto texts = ItemTexts(*group_);
        for (std::size_t row = 0; row < texts.size() && found < 0; ++row)
            if (texts[row].first == name) found = static_cast<int>(row);
    });
    return found;
}

QString PropertyGroup::value(int row) const {
    QString value;
    attempt([&] { value = ToQString(tessel::ItemValue(*group_, row + 1)); });
    return value;
}

QString PropertyGroup::value(const QString& name) const {
    const int row = indexOf(name);
    if (row >= 0) return value(row);
    if (group_) error_ = ErrorText(comrt::runtime_hresult(comrt::runtime_error::subscript_out_of_range));
    return {};
}

bool PropertyGroup::setValue(int row, const QString& value) {
    return attempt([&] {
        comrt::check(tessel::ItemAt(*group_, row + 1)->put_ItemValue(comrt::Bstr(ToOleString(value)).get()));
    });
}

bool PropertyGroup::setValue(const QString& name, const QString& value) {
    const int row = indexOf(name);
    if (row >= 0) return setValue(row, value);
    if (group_) error_ = ErrorText(comrt::runtime_hresult(comrt::runtime_error::subscript_out_of_range));
    return false;
}

QStringList PropertyGroup::choices(int row) const {
    QStringList choices;
    attempt([&] {
        const comrt::ComPtr<_clsPropertyItem> item = tessel::ItemAt(*group_, row + 1);
        SHORT upper = 0;
        // An item without a list has no upper bound to give.
        if (FAILED(item->Count(&upper))) return;
        for (SHORT index = 0; index <= upper; ++index) {
            comrt::Bstr text;
            SHORT at = index;
            comrt::check(item->GetItem(&at, text.put()));
            choices.append(ToQString(text.view()));
        }
    });
    return choices;
}

bool operator==(const PropertyGroup& a, const PropertyGroup& b) noexcept {
    if (!a.group_ || !b.group_) return a.group_.get() == b.group_.get();
    // The same object answers IUnknown with the same pointer.
    const auto first = a.group_.try_as<IUnknown>();
    const auto second = b.group_.try_as<IUnknown>();
    return first.get() == second.get();
}

}  // namespace orvane
