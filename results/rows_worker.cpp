#include "results/rows_worker.h"

#include "clean/shown_rows.h"

#include <QMetaObject>

namespace ornavex {

struct RowsWorker::State {
    ShownRows rows;
    std::shared_ptr<const AddressList> addresses;
    std::shared_ptr<const RunDetails> details;
    std::uint64_t generation = 0;
    bool changed = false; // since the rows last went back
};

RowsWorker::RowsWorker(QObject* parent)
    : QObject(parent), state_(std::make_shared<State>()),
      latest_(std::make_shared<std::atomic<std::uint64_t>>(0)) {
    worker_ = new QObject; // lives on the worker's thread, runs the requests in order
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
}

RowsWorker::~RowsWorker() {
    thread_.quit();
    thread_.wait();
}

void RowsWorker::Reset(std::shared_ptr<const AddressList> addresses,
                       std::shared_ptr<const RunDetails> details) {
    ++generation_;
    Post(
        [addresses = std::move(addresses), details = std::move(details),
         generation = generation_](State& state) {
            state.addresses = addresses;
            state.details = details;
            state.generation = generation;
            state.changed = false; // what was asked of the old list is of no use
            const bool counted = details && details->sources.size() == addresses->size();
            state.rows.Reset(
                addresses->size(), [addresses](std::size_t i) { return (*addresses)[i]; },
                [details, counted](std::size_t i) {
                    return counted ? std::uint64_t{details->sources[i].count} : 0;
                });
        },
        false);
}

void RowsWorker::Clean(std::shared_ptr<const ListCleaner> cleaner,
                       std::shared_ptr<const void> keep) {
    Post([cleaner = std::move(cleaner),
          keep = std::move(keep)](State& state) { state.rows.Clean(cleaner.get()); },
         true);
}

void RowsWorker::Sort(SortOrder order, bool reverse) {
    Post([order, reverse](State& state) { state.rows.Sort(order, reverse); }, true);
}

void RowsWorker::Filter(std::string text) {
    Post([text = std::move(text)](State& state) { state.rows.Filter(text); }, true);
}

void RowsWorker::Prepare() {
    Post([](State& state) { state.rows.Prepare(); }, false);
}

void RowsWorker::Release(std::shared_ptr<const void> object) {
    Post([object = std::move(object)](State&) mutable { object.reset(); }, false);
}

void RowsWorker::Post(std::function<void(State&)> work, bool changes) {
    const std::uint64_t request = ++asked_;
    if (changes) {
        const bool wasBusy = busy();
        lastChange_ = request;
        if (!wasBusy)
            emit busyChanged(true);
    }
    latest_->store(request);
    QMetaObject::invokeMethod(worker_, [this, work = std::move(work), changes, request,
                                        state = state_, latest = latest_] {
        work(*state);
        state->changed = state->changed || changes;
        // Only the last request hands the rows back: those before it would
        // be replaced at once.
        std::shared_ptr<const RowView> view;
        if (latest->load() == request && state->changed) {
            state->changed = false;
            auto shown = std::make_shared<RowView>();
            shown->count = state->rows.size();
            if (!state->rows.all()) {
                auto rows = std::make_shared<std::vector<std::uint32_t>>();
                rows->reserve(state->rows.size());
                for (std::size_t i = 0; i < state->rows.size(); ++i)
                    rows->push_back(static_cast<std::uint32_t>(state->rows.At(i)));
                shown->rows = std::move(rows);
                shown->count = state->addresses ? state->addresses->size() : 0;
            }
            shown->cleanedAway = state->rows.cleanedAway();
            view = std::move(shown);
        }
        QMetaObject::invokeMethod(this, [this, request, generation = state->generation, view] {
            Answered(request, generation, view.get());
        });
    });
}

void RowsWorker::Answered(std::uint64_t request, std::uint64_t generation, const RowView* view) {
    const bool wasBusy = busy();
    answered_ = std::max(answered_, request);
    if (view != nullptr && generation == generation_)
        emit viewReady(*view);
    if (wasBusy && !busy())
        emit busyChanged(false);
}

} // namespace ornavex
