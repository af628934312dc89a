#include "filelist/folder_scan_job.h"

#include <QMetaObject>
#include <memory>

namespace ornavex {

FolderScanJob::FolderScanJob(QObject* parent) : QObject(parent) {
    worker_ = new QObject; // lives on the scan thread, runs the queued scans
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
}

FolderScanJob::~FolderScanJob() {
    Cancel();
    thread_.quit();
    thread_.wait();
}

void FolderScanJob::Scan(std::vector<std::filesystem::path> paths, FileNameFilter filter) {
    if (pending_++ == 0)
        emit busyChanged(true);
    const quint64 generation = generation_.load();
    QMetaObject::invokeMethod(
        worker_, [this, paths = std::move(paths), filter = std::move(filter), generation] {
            const auto keepGoing = [this, generation] { return generation_.load() == generation; };
            auto found = std::make_shared<ScanResult>();
            for (const auto& path : paths) {
                if (!keepGoing())
                    break;
                ScanResult scan = ExpandPath(path, filter, keepGoing);
                for (auto& file : scan.files)
                    found->files.push_back(std::move(file));
                for (auto& error : scan.errors)
                    found->errors.push_back(std::move(error));
            }
            QMetaObject::invokeMethod(this,
                                      [this, found, generation] { Finished(*found, generation); });
        });
}

void FolderScanJob::Cancel() {
    ++generation_;
}

void FolderScanJob::Finished(const ScanResult& found, quint64 generation) {
    if (generation == generation_.load())
        emit filesFound(found.files, found.errors);
    if (--pending_ == 0)
        emit busyChanged(false);
}

} // namespace ornavex
