#include "clean/do_not_mail.h"

#include "clean/address_parts.h"
#include "run/removal_run.h"

namespace ornavex {
namespace {

class Collector : public RunSink {
public:
    Collector(std::unordered_set<std::string>& addresses, std::vector<std::string>& failures)
        : addresses_(addresses), failures_(failures) {}
    void Address(std::string_view address) override { addresses_.insert(LowerCased(address)); }
    void Error(const ErrorReport& report) override {
        failures_.push_back(report.path + ": " + report.description);
    }
    void Notice(std::string_view) override {}
    bool Progress(const RunProgress&) override { return true; }

private:
    std::unordered_set<std::string>& addresses_;
    std::vector<std::string>& failures_;
};

} // namespace

void DoNotMail::Load(const std::vector<InputSource>& files, bool readInside,
                     std::vector<std::string>& failures) {
    if (files.empty())
        return;
    Collector collector(addresses_, failures);
    RunOptions options;
    options.readInside = readInside;
    RunRemoval(files, collector, options);
}

bool DoNotMail::Contains(std::string_view address) const {
    return !addresses_.empty() && addresses_.count(LowerCased(address)) != 0;
}

} // namespace ornavex
