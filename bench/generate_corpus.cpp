// Writes the benchmark corpora:
//   generate_corpus sparse FILE MEGABYTES   prose with one address in many lines
//   generate_corpus dense FILE LINES UNIQUE  an address list with repeats and case variants
//   generate_corpus many FOLDER COUNT        COUNT files of about 4 KB of mixed text
//   generate_corpus scale FILE UNIQUE        UNIQUE addresses of 25-35 bytes, each 2-3 times
//                                            in random letter case, shuffled, one per line
// The output depends only on the arguments, so runs are comparable.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kWords = {
    "the",      "meeting", "list",    "harbour", "spring",  "report", "please", "send",
    "update",   "market",  "people",  "office",  "number",  "review", "letter", "project",
    "monday",   "budget",  "account", "summary", "weather", "travel", "notes",  "draft",
    "contract", "invoice", "service", "morning", "evening", "garden", "river",  "station"};
const std::vector<std::string> kDomains = {"example.com", "mail.example.org", "northwind.example",
                                           "lumen-press.example", "cedar-grove.co.example"};

std::string Address(std::mt19937_64& random, std::uint64_t id) {
    std::string local =
        kWords[id % kWords.size()] + "." + kWords[(id / 7) % kWords.size()] + std::to_string(id);
    return local + "@" + kDomains[(id / 3) % kDomains.size()];
    (void)random;
}

std::string VaryCase(std::mt19937_64& random, std::string text) {
    if (random() % 4 != 0)
        return text;
    for (char& c : text)
        if (c >= 'a' && c <= 'z' && random() % 3 == 0)
            c = static_cast<char>(c - 32);
    return text;
}

void WriteSparse(std::FILE* out, std::uint64_t bytes) {
    std::mt19937_64 random(1);
    std::string line;
    std::uint64_t written = 0;
    std::uint64_t lineNumber = 0;
    while (written < bytes) {
        line.clear();
        const int words = 6 + static_cast<int>(random() % 8);
        for (int w = 0; w < words; ++w) {
            std::string word = kWords[random() % kWords.size()];
            if (w == 0)
                word[0] = static_cast<char>(word[0] - 32);
            line += word;
            line += (random() % 9 == 0) ? ", " : " ";
        }
        if (++lineNumber % 150 == 0)
            line += "write to " + Address(random, random() % 50000) + ".";
        else
            line += "again.";
        line += "\n";
        std::fwrite(line.data(), 1, line.size(), out);
        written += line.size();
    }
}

void WriteDense(std::FILE* out, std::uint64_t lines, std::uint64_t unique) {
    std::mt19937_64 random(2);
    std::string line;
    for (std::uint64_t i = 0; i < lines; ++i) {
        // Every unique address appears once in order; the other lines repeat
        // earlier ones, often in another letter case.
        const bool fresh = i * unique / lines != (i + 1) * unique / lines;
        const std::uint64_t id =
            fresh ? (i + 1) * unique / lines - 1 : random() % ((i * unique / lines) + 1);
        const std::string address = VaryCase(random, Address(random, id));
        switch (random() % 3) {
        case 0:
            line = address + "\n";
            break;
        case 1:
            line = "\"" + kWords[id % kWords.size()] + "\" <" + address + ">\n";
            break;
        default:
            line = address + "," + std::to_string(id) + ",ok\n";
            break;
        }
        std::fwrite(line.data(), 1, line.size(), out);
    }
}

void WriteMany(const std::string& folder, std::uint64_t count) {
    std::mt19937_64 random(3);
    for (std::uint64_t i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/f%06llu.txt", static_cast<unsigned long long>(i));
        std::FILE* out = std::fopen((folder + name).c_str(), "wb");
        if (out == nullptr)
            return;
        std::string text;
        while (text.size() < 4000) {
            if (random() % 3 == 0) {
                text += VaryCase(random, Address(random, random() % 50000)) + "\n";
            } else {
                for (int w = 0; w < 8; ++w)
                    text += kWords[random() % kWords.size()] + (w == 7 ? ".\n" : " ");
            }
        }
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
    }
}

// The address of id for the scale series: distinct for every id, and 25 to
// 35 bytes long for ids below a billion.
std::string ScaleAddress(std::uint64_t id) {
    static const std::vector<std::string> domains = {"example.com", "mail.example.org",
                                                     "northwind.example", "lumen.example"};
    std::string local = kWords[id % kWords.size()] + "." + std::to_string(id);
    std::string address = local + "@" + domains[(id / kWords.size()) % domains.size()];
    while (address.size() < 25)
        address.insert(0, 1, 'x');
    return address;
}

void WriteScale(std::FILE* out, std::uint64_t unique) {
    std::mt19937_64 random(4);
    std::vector<std::uint32_t> occurrences;
    occurrences.reserve(unique * 5 / 2 + 1);
    for (std::uint64_t id = 0; id < unique; ++id)
        for (int copy = 0, copies = 2 + static_cast<int>(random() % 2); copy < copies; ++copy)
            occurrences.push_back(static_cast<std::uint32_t>(id));
    std::shuffle(occurrences.begin(), occurrences.end(), random);
    std::string line;
    for (const std::uint32_t id : occurrences) {
        line = ScaleAddress(id);
        for (char& c : line)
            if (c >= 'a' && c <= 'z' && random() % 2 == 0)
                c = static_cast<char>(c - 32);
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), out);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(
            stderr,
            "usage: %s sparse FILE MEGABYTES | dense FILE LINES UNIQUE | many FOLDER COUNT |\n"
            "       scale FILE UNIQUE\n",
            argv[0]);
        return 2;
    }
    const std::string kind = argv[1];
    if (kind == "many") {
        WriteMany(argv[2], std::strtoull(argv[3], nullptr, 10));
        return 0;
    }
    std::FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr) {
        std::perror(argv[2]);
        return 1;
    }
    if (kind == "sparse") {
        WriteSparse(out, std::strtoull(argv[3], nullptr, 10) * 1000000ULL);
    } else if (kind == "scale") {
        WriteScale(out, std::strtoull(argv[3], nullptr, 10));
    } else if (kind == "dense" && argc >= 5) {
        WriteDense(out, std::strtoull(argv[3], nullptr, 10), std::strtoull(argv[4], nullptr, 10));
    } else {
        std::fprintf(stderr, "unknown corpus kind\n");
        return 2;
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
