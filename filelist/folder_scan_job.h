#pragma once

#include "scan/folder_scan.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <filesystem>
#include <vector>

namespace ornavex {

// Scans folders on a background thread, one request after another, so the
// window stays responsive however large the tree. Each request's files, and
// the folders it could not list, come back in one filesFound signal, in
// request order.
class FolderScanJob : public QObject {
    Q_OBJECT
public:
    explicit FolderScanJob(QObject* parent = nullptr);
    ~FolderScanJob() override;

    // Expands paths: a folder becomes its files matching pattern, level by
    // level; anything else is passed through unchanged.
    void Scan(std::vector<std::filesystem::path> paths, FileNameFilter filter);
    // Drops the running request and every waiting one.
    void Cancel();
    bool busy() const { return pending_ > 0; }

signals:
    void filesFound(const std::vector<std::filesystem::path>& files,
                    const std::vector<FolderError>& errors);
    void busyChanged(bool busy);

private:
    void Finished(const ScanResult& found, quint64 generation);

    QThread thread_;
    QObject* worker_ = nullptr;
    std::atomic<quint64> generation_{0};
    int pending_ = 0;
};

} // namespace ornavex
