#include "filelist/file_list_model.h"

#include "filelist/qt_paths.h"

#include <algorithm>

namespace ornavex {

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(paths_.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= paths_.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return paths_[index.row()];
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
    if (paths.isEmpty())
        return;
    const int first = static_cast<int>(paths_.size());
    beginInsertRows({}, first, first + static_cast<int>(paths.size()) - 1);
    paths_.append(paths);
    endInsertRows();
}

void FileListModel::RemoveAt(int row) {
    if (row < 0 || row >= paths_.size())
        return;
    beginRemoveRows({}, row, row);
    paths_.removeAt(row);
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
    QStringList kept;
    kept.reserve(paths_.size() - rows.size());
    auto next = rows.cbegin();
    for (int row = 0; row < paths_.size(); ++row) {
        if (next != rows.cend() && *next == row)
            ++next;
        else
            kept.append(paths_[row]);
    }
    paths_.swap(kept);
    endResetModel();
}

void FileListModel::Clear() {
    if (paths_.isEmpty())
        return;
    beginResetModel();
    paths_.clear();
    endResetModel();
}

std::vector<InputSource> FileListModel::Snapshot() const {
    std::vector<InputSource> inputs;
    inputs.reserve(paths_.size());
    for (const QString& path : paths_)
        inputs.push_back(InputSource::File(ToFsPath(path)));
    return inputs;
}

} // namespace ornavex
