#pragma once

#include <QObject>
#include <QStringList>
#include <QThread>
#include <atomic>

namespace ornavex {

// Scans folders on a background thread, one request after another, so the
// window stays responsive however large the tree. Each request's files come
// back in one filesFound signal, in request order.
class FolderScanJob : public QObject {
    Q_OBJECT
public:
    explicit FolderScanJob(QObject* parent = nullptr);
    ~FolderScanJob() override;

    // Expands paths: a folder becomes its files matching pattern, level by
    // level; anything else is passed through unchanged.
    void Scan(const QStringList& paths, const QString& pattern);
    // Drops the running request and every waiting one.
    void Cancel();
    bool busy() const { return pending_ > 0; }

signals:
    void filesFound(const QStringList& files);
    void busyChanged(bool busy);

private:
    void Finished(const QStringList& files, quint64 generation);

    QThread thread_;
    QObject* worker_ = nullptr;
    std::atomic<quint64> generation_{0};
    int pending_ = 0;
};

} // namespace ornavex
