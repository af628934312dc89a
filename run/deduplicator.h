#pragma once

#include "run/event_parcel.h"
#include "run/removal_run.h"

#include <cstdint>
#include <vector>

namespace ornavex {

// Takes a run's addresses event by event, file after file in list order,
// and gives each distinct address (ignoring ASCII letter case) once, at its
// first occurrence, to the run's output. The new addresses of a file count
// only once it has been read to its end; a stretch of a file (its own text,
// or one member) that fails leaves out what it gave, and the file goes on.
// One call per event: the addresses of an event are handled in one go.
class Deduplicator {
public:
    virtual ~Deduplicator() = default;

    // A file starts (fileStart), or the next stretch of it: one member,
    // whose path is details' members[member] (0: the file itself).
    virtual void StartStretch(bool fileStart, std::uint32_t member) = 0;
    // The addresses of an event of the file being read, in text order.
    virtual void Add(const ReadEvent& event, const EventParcel& parcel) = 0;
    // The stretch being read failed: what it gave is left out.
    virtual void VoidStretch() = 0;
    // The file was read to its end: the tally, with found and added filled
    // in, is told, and the file's new addresses given.
    virtual void FileDone(FileTally tally) = 0;
    // The file failed: the tally is told, and what it gave is left out.
    virtual void FileFailed(FileTally tally) = 0;
    // After the last file: gives what is still to give, and with details
    // the sources of the addresses given (through Address). False when the
    // run was stopped meanwhile.
    virtual bool Finish(std::vector<AddressOrigin>& sources) = 0;
};

} // namespace ornavex
