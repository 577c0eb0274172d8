#pragma once
// Streaming XML for the workbook parts, on expat: a part is inflated in
// chunks straight into the parser's buffer and handed to a handler element by
// element, so a 100 MB sheet never sits in memory. Names reach the handler
// without their prefix ("x:row" is "row"): writers differ in the prefixes
// they use, never in the local names, and skipping namespace processing
// keeps the tokenizer at its fastest. OpenDocument content is the exception:
// its elements are told apart by namespace, and its handler gets names as
// "namespace-uri|local-name". Elements nested deeper than the depth limit
// make the part Damaged: no workbook nests a few hundred deep, and the
// parser's own stack would grow with a hostile file's millions.

#include "sheet/sheet.h"

#include <cstdint>
#include <string_view>

namespace luckdial::sheet {

class ZipArchive;

/// The name without its prefix.
inline std::string_view localName(std::string_view name) {
    std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

/// An element's attributes as the parser hands them over: name and value
/// pairs, values already decoded.
class XmlAttributes {
public:
    explicit XmlAttributes(const char** pairs) : pairs_(pairs) {}

    /// The value of the first attribute with this local name; empty when missing.
    std::string_view value(std::string_view local) const {
        for (const char** p = pairs_; *p; p += 2)
            if (localName(*p) == local) return p[1];
        return {};
    }
    /// The value of the attribute with exactly this name ("uri|local" when
    /// parsed with namespaces); empty when missing.
    std::string_view exact(std::string_view name) const {
        for (const char** p = pairs_; *p; p += 2)
            if (name == *p) return p[1];
        return {};
    }
    /// Visits every attribute as (qualified name, value).
    template <class F> void forEach(F&& f) const {
        for (const char** p = pairs_; *p; p += 2)
            f(std::string_view(p[0]), std::string_view(p[1]));
    }

private:
    const char** pairs_;
};

/// Receives one part's elements and text. A handler ends the parse early with
/// stop(): with an error, or with None when it has read what it needs.
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void startElement(std::string_view name, const XmlAttributes& attributes) = 0;
    virtual void endElement(std::string_view name) = 0;
    /// Text in pieces: one run of text may arrive in several calls.
    virtual void characters(std::string_view) {}

    void stop(ReadError why);
    bool stopped() const { return stopped_; }

private:
    friend ReadError parseXml(const ZipArchive&, std::uint64_t, XmlHandler&, bool);
    friend struct XmlCallbacks;
    void* parser_ = nullptr;
    bool stopped_ = false;
    ReadError why_ = ReadError::None;
    int depth_ = 0;
    int maxDepth_ = 0;
    bool namespaces_ = false;
};

/// Parses the archive's entry through the handler. Damaged when the XML is
/// malformed or carries a document type declaration (no workbook part has
/// one; refusing it shuts out entity expansion whole); the stream's reason
/// when inflating failed or passed the byte limit; the handler's own when it
/// stopped. namespaces: names as "uri|local" instead of local names.
ReadError parseXml(const ZipArchive& zip, std::uint64_t index, XmlHandler& handler,
                   bool namespaces = false);

} // namespace luckdial::sheet
