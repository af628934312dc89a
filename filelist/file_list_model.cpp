#include "filelist/file_list_model.h"

#include "ui/qt_paths.h"

#include <algorithm>

namespace ornavex {

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(paths_.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= paths_.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return ToQString(paths_[static_cast<std::size_t>(index.row())]);
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QStringLiteral("Text Files");
    return {};
}

void FileListModel::Append(const QString& path) {
    Append(QStringList{path});
}

void FileListModel::Append(const QStringList& paths) {
    std::vector<std::filesystem::path> converted;
    converted.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& path : paths)
        converted.push_back(ToFsPath(path));
    Append(converted);
}

void FileListModel::Append(const std::vector<std::filesystem::path>& paths) {
    if (paths.empty())
        return;
    const int first = static_cast<int>(paths_.size());
    beginInsertRows({}, first, first + static_cast<int>(paths.size()) - 1);
    paths_.insert(paths_.end(), paths.begin(), paths.end());
    endInsertRows();
}

QStringList FileListModel::texts() const {
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(paths_.size()));
    for (const auto& path : paths_)
        texts.append(ToQString(path));
    return texts;
}

void FileListModel::RemoveAt(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= paths_.size())
        return;
    beginRemoveRows({}, row, row);
    paths_.erase(paths_.begin() + row);
    endRemoveRows();
}

void FileListModel::RemoveRows(QList<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.size() <= 64) {
        // From the last to the first, so a removal never shifts a row still to go.
        for (auto row = rows.rbegin(); row != rows.rend(); ++row)
            RemoveAt(*row);
        return;
    }
    // Many rows: rebuild the list once instead of shifting it per row.
    beginResetModel();
    std::vector<std::filesystem::path> kept;
    kept.reserve(paths_.size());
    auto next = rows.cbegin();
    for (std::size_t row = 0; row < paths_.size(); ++row) {
        if (next != rows.cend() && static_cast<std::size_t>(*next) == row)
            ++next;
        else
            kept.push_back(std::move(paths_[row]));
    }
    paths_.swap(kept);
    endResetModel();
}

void FileListModel::Clear() {
    if (paths_.empty())
        return;
    beginResetModel();
    paths_.clear();
    endResetModel();
}

std::vector<Input> FileListModel::Snapshot() const {
    std::vector<Input> inputs;
    inputs.reserve(paths_.size());
    for (const auto& path : paths_)
        inputs.push_back(Input::File(path));
    return inputs;
}

} // namespace ornavex
