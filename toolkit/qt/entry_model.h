// The entries of a drop-down list as a Qt item model: one UTF-16 buffer for all texts and
// an offset and a length per entry, so that appending an entry makes no heap object and
// no item of a standard model.
//
// Appends are announced to views in one piece: entries appended since the last notice
// are not yet rows (rowCount() leaves them out) until announce() sends one rowsInserted
// for all of them, so that a fill of thousands of entries costs one layout of the list's
// view.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include <QAbstractListModel>

namespace orvane::qt {

class EntryModel final : public QAbstractListModel {
    Q_OBJECT

public:
    explicit EntryModel(QObject* parent = nullptr);

    // Entries held, announced or not.
    int entries() const noexcept { return static_cast<int>(spans_.size()); }
    // Appends an entry at the end (not yet announced). Fails with E_OUTOFMEMORY
    // (comrt::com_error) when the memory cannot be had; the model is unchanged then.
    void append(std::u16string_view text);
    // Removes every entry (a model reset).
    void clear();
    // Announces the entries appended since the last notice; whether there were any.
    bool announce();

    // ---- QAbstractListModel --------------------------------------------------------------
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Qt's own way in (QComboBox::insertItems): empty entries inserted and announced,
    // then their texts set.
    bool insertRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    // Appends text to the buffer; where it starts. Throws as append().
    std::uint32_t store(std::u16string_view text);

    struct Span {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };
    std::u16string text_;
    std::vector<Span> spans_;
    int announced_ = 0;
};

}  // namespace orvane::qt
