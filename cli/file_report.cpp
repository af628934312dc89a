#include "cli/file_report.h"

#include "run/shown_name.h"

namespace ornavex {

std::string FileReport(const std::vector<Input>& inputs, const std::vector<FileTally>& tallies) {
    std::string text = "found\tnew\tstatus\tfile\n";
    for (const FileTally& tally : tallies) {
        // A name keeps to its row: its TABs, line ends and other control
        // bytes are escaped, and its backslashes doubled.
        const std::string name = inputs[tally.fileIndex].DisplayName();
        text += std::to_string(tally.found);
        text += '\t';
        text += std::to_string(tally.added);
        text += tally.failed ? "\tfailed\t" : "\tread\t";
        text += ShownName(name, true);
        text += '\n';
        // A part that failed alone gave nothing: a row of its own.
        for (const std::string& part : tally.failedParts) {
            std::string partName = name;
            if (!part.empty())
                partName.append(": ").append(part);
            text += "0\t0\tfailed\t";
            text += ShownName(partName, true);
            text += '\n';
        }
    }
    return text;
}

} // namespace ornavex
