/// @file
/// PropertyGroup: a property group as a Qt value, for hosts that never touch COM.
///
///     orvane::PropertyGroup network(tr("Network"));
///     network.addItem(tr("Proxy"), "System", {"None", "System", "Manual"});
///     network.addItem(tr("Proxy host"), "proxy.example.org");
///     grid->addGroup(network);
///     ...
///     QString host = network.value(1);               // what the user typed
///
/// Rows count from 0 here, as everywhere at the Qt level; the group's binary interface
/// counts its items from 1 (ItemsCollection position = row + 1).
///
/// Errors: a member that fails returns false (or an empty value) and errorString() says
/// why; nothing throws.
#pragma once

#include <QString>
#include <QStringList>

#include <comrt/com_ptr.h>
#include <tessel/tessel.h>

namespace orvane {

/// A property group (a clsTessel object) as a Qt value: copies are cheap and refer to the
/// same group, as the control does once the group is added; see the file's description.
class PropertyGroup {
public:
    /// A null group: holds nothing, every member fails.
    PropertyGroup() = default;
    /// A new, empty group named name, made by libtessel.so beside libcomrt.so (or the
    /// registered library). Null when it cannot be made; errorString() says why.
    explicit PropertyGroup(const QString& name);
    /// The COM group `group` as a Qt value (held, not copied); null for a null group.
    explicit PropertyGroup(comrt::ComPtr<_clsTessel> group);

    /// Whether no group is held.
    bool isNull() const noexcept { return !group_; }
    /// The group's name; empty when it cannot be read.
    QString name() const;
    /// Renames the group (the control's selector shows the name it had when added).
    /// @return false on failure, with errorString().
    bool setName(const QString& name);
    /// How many items the group holds; 0 when it cannot say.
    int count() const;

    /// Appends a free-text item. @return false on failure, with errorString().
    bool addItem(const QString& name, const QString& value);
    /// Appends a drop-down item edited with the list of choices (stored from index 0).
    /// @return false on failure, with errorString().
    bool addItem(const QString& name, const QString& value, const QStringList& choices);

    /// The name of the item at row (from 0); empty outside 0 to count() - 1.
    QString itemName(int row) const;
    /// The row of the first item named name; -1 when there is none.
    int indexOf(const QString& name) const;
    /// The value of the item at row (from 0); empty, with errorString(), outside the group.
    QString value(int row) const;
    /// The value of the first item named name; empty, with errorString(), when none is.
    QString value(const QString& name) const;
    /// Sets the value of the item at row. The control shows it after
    /// PropertiesWidget::refreshValues(). @return false on failure, with errorString().
    bool setValue(int row, const QString& value);
    /// Sets the value of the first item named name. @return false on failure.
    bool setValue(const QString& name, const QString& value);
    /// The list of choices of the item at row; empty when it has none.
    QStringList choices(int row) const;

    /// Why the last failing member of this value failed, as text; empty when none has.
    /// A later success does not clear it, so a host may fill a group and check once.
    QString errorString() const { return error_; }

    /// The group's COM interface (a new reference), for hosts that use the control's
    /// binary interface; null for a null group.
    comrt::ComPtr<_clsTessel> comGroup() const { return group_; }

    /// Whether both refer to the same group object (or are both null).
    friend bool operator==(const PropertyGroup& a, const PropertyGroup& b) noexcept;

private:
    // Runs step, which may throw comrt::com_error; false with errorString() when it does.
    template <typename Step>
    bool attempt(Step&& step) const;

    comrt::ComPtr<_clsTessel> group_;
    mutable QString error_;
};

/// The text errorString() gives for a failing HRESULT: the library's description of the
/// failure with its number, e.g. "Subscript out of range (0x800A0009)".
QString ErrorText(HRESULT hr);

}  // namespace orvane
