#pragma once

#include "run/input_source.h"

#include <QAbstractListModel>
#include <QStringList>
#include <vector>

namespace ornavex {

// The input file list: the paths the next run reads, in the order added.
// Paths may repeat; nothing checks them when they are added.
class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void Append(const QString& path);
    void Append(const QStringList& paths);
    void RemoveAt(int row);
    // Removes the given rows; the others keep their order.
    void RemoveRows(QList<int> rows);
    void Clear();

    const QStringList& paths() const { return paths_; }
    // The list as run inputs, taken when a run starts.
    std::vector<InputSource> Snapshot() const;

private:
    QStringList paths_;
};

} // namespace ornavex
