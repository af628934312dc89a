#include "decode/xml_text.h"

#include "decode/decode_context.h"
#include "decode/link_target.h"
#include "decode/shown_spaces.h"

#include <algorithm>
#include <cstring>
#include <expat.h>
#include <memory>
#include <vector>

namespace ornavex {
namespace {

using Names = std::vector<std::string_view>;

bool In(std::string_view name, const Names& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// An element's or attribute's name without its namespace prefix.
std::string_view LocalName(const char* name) {
    const std::string_view full(name);
    const std::size_t colon = full.rfind(':');
    return colon == std::string_view::npos ? full : full.substr(colon + 1);
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// What the dialect makes of elements.
struct Rules {
    bool anyText = true; // false: no character data counts, only link targets
    Names text;          // character data counts only in these; empty: everywhere
    Names scopes;        // character data counts only inside these; empty: everywhere
    Names breaks;        // a word ends where these start and where they end
    Names spaces;        // these stand for a space (OpenDocument's text:s, text:tab)
};

Rules RulesOf(XmlDialect dialect) {
    Rules rules;
    switch (dialect) {
    case XmlDialect::kWordProcessing:
        rules.text = {"t"};
        rules.breaks = {"p", "tc", "tr", "br", "cr", "tab", "txbxContent"};
        break;
    case XmlDialect::kPresentation:
        rules.text = {"t"};
        rules.breaks = {"p", "br", "tab", "tc", "tr"};
        break;
    case XmlDialect::kSpreadsheet:
        rules.text = {"t", "v"};
        rules.breaks = {"si", "c", "row"};
        break;
    case XmlDialect::kOpenDocument:
        rules.scopes = {"p", "h"};
        rules.breaks = {"p", "h", "line-break", "table-cell", "list-item"};
        rules.spaces = {"s", "tab"};
        break;
    case XmlDialect::kRelationships:
        rules.anyText = false;
        break;
    case XmlDialect::kGeneric:
        break;
    }
    return rules;
}

class XmlReader {
public:
    XmlReader(XmlDialect dialect, TextSink& sink)
        : dialect_(dialect), rules_(RulesOf(dialect)), sink_(sink),
          parser_(XML_ParserCreate(nullptr), XML_ParserFree) {
        XML_SetUserData(parser_.get(), this);
        XML_SetElementHandler(parser_.get(), &XmlReader::OnStart, &XmlReader::OnEnd);
        XML_SetCharacterDataHandler(parser_.get(), &XmlReader::OnText);
        // Everything else (comments, declarations) counts as an event too.
        XML_SetDefaultHandlerExpand(parser_.get(), &XmlReader::OnOther);
    }

    // False when the XML is damaged or too deep (error set) or the sink
    // stopped.
    bool Parse(std::string_view bytes, bool last) {
        fed_ += bytes.size();
        if (XML_Parse(parser_.get(), bytes.data(), static_cast<int>(bytes.size()), last) ==
            XML_STATUS_ERROR) {
            // A part with no element at all is an empty part.
            if (!stopped_ && error_.empty() && !(last && !anyElement_ && NoElements()))
                error_ = "Damaged document";
            return error_.empty() && !stopped_ && last;
        }
        // Markup that never ends would be held whole by the parser.
        if (fed_ - lastEvent_ > kLongestXmlMarkup) {
            error_ = "Damaged document";
            return false;
        }
        if (last && !sink_.Flush())
            stopped_ = true;
        return !stopped_;
    }
    bool stopped() const { return stopped_; }
    const std::string& error() const { return error_; }

private:
    bool NoElements() const { return XML_GetErrorCode(parser_.get()) == XML_ERROR_NO_ELEMENTS; }

    void Event() {
        lastEvent_ = static_cast<std::uint64_t>(XML_GetCurrentByteIndex(parser_.get()));
    }

    static void OnStart(void* data, const char* name, const char** attributes) {
        auto* self = static_cast<XmlReader*>(data);
        self->Event();
        self->anyElement_ = true;
        if (self->textIn_.size() >= kMostXmlDepth) {
            self->Stop("Nested too deep");
            return;
        }
        const std::string_view local = LocalName(name);
        self->textIn_.push_back(In(local, self->rules_.text));
        if (In(local, self->rules_.breaks) || In(local, self->rules_.spaces))
            self->Write(" ");
        if (In(local, self->rules_.scopes))
            ++self->scopeDepth_;
        self->Links(local, attributes);
    }

    static void OnEnd(void* data, const char* name) {
        auto* self = static_cast<XmlReader*>(data);
        self->Event();
        const std::string_view local = LocalName(name);
        if (In(local, self->rules_.breaks))
            self->Write(" ");
        if (In(local, self->rules_.scopes) && self->scopeDepth_ > 0)
            --self->scopeDepth_;
        if (!self->textIn_.empty())
            self->textIn_.pop_back();
    }

    static void OnText(void* data, const char* text, int length) {
        auto* self = static_cast<XmlReader*>(data);
        self->Event();
        if (self->Counts())
            self->Write(std::string_view(text, static_cast<std::size_t>(length)));
    }

    static void OnOther(void* data, const char*, int) { static_cast<XmlReader*>(data)->Event(); }

    // Whether character data here is text the document shows.
    bool Counts() const {
        if (!rules_.anyText)
            return false;
        if (rules_.text.size() > 0)
            return !textIn_.empty() && textIn_.back();
        if (rules_.scopes.size() > 0)
            return scopeDepth_ > 0;
        return true;
    }

    // Link targets: xlink:href anywhere, and the external targets of
    // relationships.
    void Links(std::string_view element, const char** attributes) {
        const char* target = nullptr;
        bool external = false;
        for (const char** at = attributes; at[0] != nullptr; at += 2) {
            const std::string_view attribute(at[0]);
            if (attribute == "xlink:href")
                WriteLink(at[1]);
            else if (dialect_ == XmlDialect::kRelationships && element == "Relationship" &&
                     attribute == "Target")
                target = at[1];
            else if (attribute == "TargetMode")
                external = std::strcmp(at[1], "External") == 0;
        }
        if (target != nullptr && external)
            WriteLink(target);
    }

    // A mailto: target is a word of its own; other targets are not read.
    void WriteLink(std::string_view target) {
        const std::string address = DecodedLinkTarget(target);
        if (address.empty())
            return;
        Write(" ");
        Write(address);
        Write(" ");
    }

    void Write(std::string_view text) {
        if (stopped_ || text.empty())
            return;
        if (!sink_.Text(text)) {
            stopped_ = true;
            XML_StopParser(parser_.get(), XML_FALSE);
        }
    }

    void Stop(std::string reason) {
        error_ = std::move(reason);
        XML_StopParser(parser_.get(), XML_FALSE);
    }

    XmlDialect dialect_;
    Rules rules_;
    ShownSpaces sink_; // no-break spaces end words, as they look
    std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser_;
    std::vector<bool> textIn_; // open elements, innermost last: whether text in them counts
    int scopeDepth_ = 0;
    bool anyElement_ = false;
    std::uint64_t fed_ = 0;       // bytes given to the parser
    std::uint64_t lastEvent_ = 0; // where it last told of something
    bool stopped_ = false;
    std::string error_;
};

template <XmlDialect dialect> DecodeResult DecodeDialect(Part& part, DecodeContext& context) {
    return DecodeXml(part.bytes, dialect, context);
}

// The parts of an office document that hold no text a reader sees.
bool HoldsNoText(std::string_view path) {
    constexpr std::string_view kFolders[] = {"Configurations2/", "Thumbnails/",       "META-INF/",
                                             "customXml/",       "word/theme/",       "ppt/theme/",
                                             "xl/theme/",        "docProps/thumbnail"};
    for (std::string_view folder : kFolders)
        if (path.starts_with(folder))
            return true;
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    constexpr std::string_view kNames[] = {
        "settings.xml",          "webSettings.xml", "fontTable.xml",   "numbering.xml",
        "presProps.xml",         "viewProps.xml",   "tableStyles.xml", "calcChain.xml",
        "stylesWithEffects.xml", "manifest.rdf"};
    for (std::string_view known : kNames)
        if (name == known)
            return true;
    // Word's, PowerPoint's and Excel's styles name fonts and colours;
    // OpenDocument's styles.xml holds headers and footers.
    return name == "styles.xml" && slash != std::string_view::npos;
}

} // namespace

OfficePart OfficePartOf(std::string_view path) {
    if (HoldsNoText(path))
        return {true, nullptr};
    if (EndsWith(path, ".rels"))
        return {false, DecodeDialect<XmlDialect::kRelationships>};
    if (!EndsWith(path, ".xml"))
        return {}; // a picture, an embedded document: a file of its own
    if (path.starts_with("word/"))
        return {false, DecodeDialect<XmlDialect::kWordProcessing>};
    if (path.starts_with("ppt/") || path.starts_with("xl/drawings/") ||
        path.starts_with("xl/charts/"))
        return {false, DecodeDialect<XmlDialect::kPresentation>};
    if (path.starts_with("xl/"))
        return {false, DecodeDialect<XmlDialect::kSpreadsheet>};
    if (path == "content.xml" || path == "styles.xml")
        return {false, DecodeDialect<XmlDialect::kOpenDocument>};
    return {false, DecodeDialect<XmlDialect::kGeneric>};
}

DecodeResult DecodeXml(ByteSource& source, XmlDialect dialect, DecodeContext& context) {
    XmlReader reader(dialect, context.sink());
    std::string_view bytes;
    for (;;) {
        if (!source.Next(bytes))
            return context.SourceFailed(source);
        const bool last = bytes.empty();
        if (!reader.Parse(bytes, last))
            return reader.stopped() ? context.Halted() : context.Fail(reader.error());
        if (last)
            break;
    }
    if (!context.sink().PartEnd())
        return context.Halted();
    context.CountPart();
    return DecodeResult::kDone;
}

} // namespace ornavex
