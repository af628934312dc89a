#pragma once

#include "run/input.h"

#include <QAbstractListModel>
#include <QStringList>
#include <filesystem>
#include <vector>

namespace ornavex {

// The input file list: the paths the next run reads, in the order added.
// Paths may repeat; nothing checks them when they are added. They are kept
// as file system paths, so names that are not valid text survive intact.
class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void Append(const QString& path);
    void Append(const QStringList& paths);
    void Append(const std::vector<std::filesystem::path>& paths);
    void RemoveAt(int row);
    // Removes the given rows; the others keep their order.
    void RemoveRows(QList<int> rows);
    void Clear();

    const std::vector<std::filesystem::path>& paths() const { return paths_; }
    // The paths as the list shows them.
    QStringList texts() const;
    // The list as run inputs, taken when a run starts.
    std::vector<Input> Snapshot() const;

private:
    std::vector<std::filesystem::path> paths_;
};

} // namespace ornavex
