#include "filelist/folder_scan_job.h"

#include "filelist/folder_scan.h"
#include "filelist/qt_paths.h"

#include <QMetaObject>

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

void FolderScanJob::Scan(const QStringList& paths, const QString& pattern) {
    if (pending_++ == 0)
        emit busyChanged(true);
    const quint64 generation = generation_.load();
    QMetaObject::invokeMethod(worker_, [this, paths, pattern, generation] {
        const auto keepGoing = [this, generation] { return generation_.load() == generation; };
        const NativeString nativePattern = ToFsPath(pattern).native();
        QStringList files;
        for (const QString& path : paths) {
            if (!keepGoing())
                break;
            for (const auto& file : ExpandPath(ToFsPath(path), nativePattern, keepGoing))
                files.append(ToQString(file));
        }
        QMetaObject::invokeMethod(this, [this, files, generation] { Finished(files, generation); });
    });
}

void FolderScanJob::Cancel() {
    ++generation_;
}

void FolderScanJob::Finished(const QStringList& files, quint64 generation) {
    if (generation == generation_.load())
        emit filesFound(files);
    if (--pending_ == 0)
        emit busyChanged(false);
}

} // namespace ornavex
