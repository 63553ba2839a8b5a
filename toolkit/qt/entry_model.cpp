// The entries of a drop-down list (entry_model.h).
#include <toolkit/qt/entry_model.h>

#include <limits>
#include <new>

#include <comrt/error.h>

namespace orvane::qt {

EntryModel::EntryModel(QObject* parent) : QAbstractListModel(parent) {}

std::uint32_t EntryModel::store(std::u16string_view text) {
    if (text.size() > std::numeric_limits<std::uint32_t>::max() - text_.size())
        throw comrt::com_error(E_OUTOFMEMORY);
    const std::size_t units = text_.size();
    try {
        text_.append(text);
    } catch (const std::bad_alloc&) {
        throw comrt::com_error(E_OUTOFMEMORY);
    }
    return static_cast<std::uint32_t>(units);
}

void EntryModel::append(std::u16string_view text) {
    const std::size_t units = text_.size();
    const std::uint32_t offset = store(text);
    try {
        spans_.push_back({offset, static_cast<std::uint32_t>(text.size())});
    } catch (const std::bad_alloc&) {
        text_.resize(units);
        throw comrt::com_error(E_OUTOFMEMORY);
    }
}

void EntryModel::clear() {
    if (spans_.empty()) return;
    beginResetModel();
    text_.clear();
    spans_.clear();
    announced_ = 0;
    endResetModel();
}

bool EntryModel::announce() {
    if (announced_ == entries()) return false;
    beginInsertRows(QModelIndex(), announced_, entries() - 1);
    announced_ = entries();
    endInsertRows();
    return true;
}

int EntryModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : announced_; }

QVariant EntryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= announced_ || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const Span span = spans_[static_cast<std::size_t>(index.row())];
    return QString::fromUtf16(text_.data() + span.offset, static_cast<qsizetype>(span.length));
}

bool EntryModel::insertRows(int row, int count, const QModelIndex& parent) {
    announce();
    if (parent.isValid() || row < 0 || row > announced_ || count < 0) return false;
    if (count == 0) return true;
    beginInsertRows(QModelIndex(), row, row + count - 1);
    spans_.insert(spans_.begin() + row, static_cast<std::size_t>(count), Span{});
    announced_ += count;
    endInsertRows();
    return true;
}

bool EntryModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= announced_ || (role != Qt::DisplayRole && role != Qt::EditRole))
        return false;
    const QString text = value.toString();
    const std::u16string_view units(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
    try {
        spans_[static_cast<std::size_t>(index.row())] = {store(units), static_cast<std::uint32_t>(units.size())};
    } catch (const comrt::com_error&) {
        return false;
    }
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags EntryModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace orvane::qt
