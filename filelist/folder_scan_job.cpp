#include "filelist/folder_scan_job.h"

#include "filelist/folder_scan.h"

#include <QMetaObject>
#include <memory>

namespace ornavex {

FolderScanJob::FolderScanJob(QObject* parent) : QObject(parent) {
    worker_ = new QObject; // lives on the scanning thread, runs the queued scans
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
}

FolderScanJob::~FolderScanJob() {
    Cancel();
    thread_.quit();
    thread_.wait();
}

void FolderScanJob::Scan(std::vector<std::filesystem::path> paths, NativeString pattern) {
    if (pending_++ == 0)
        emit busyChanged(true);
    const quint64 generation = generation_.load();
    QMetaObject::invokeMethod(
        worker_, [this, paths = std::move(paths), pattern = std::move(pattern), generation] {
            const auto keepGoing = [this, generation] { return generation_.load() == generation; };
            auto files = std::make_shared<std::vector<std::filesystem::path>>();
            for (const auto& path : paths) {
                if (!keepGoing())
                    break;
                for (auto& file : ExpandPath(path, pattern, keepGoing))
                    files->push_back(std::move(file));
            }
            QMetaObject::invokeMethod(this,
                                      [this, files, generation] { Finished(*files, generation); });
        });
}

void FolderScanJob::Cancel() {
    ++generation_;
}

void FolderScanJob::Finished(const std::vector<std::filesystem::path>& files, quint64 generation) {
    if (generation == generation_.load())
        emit filesFound(files);
    if (--pending_ == 0)
        emit busyChanged(false);
}

} // namespace ornavex
