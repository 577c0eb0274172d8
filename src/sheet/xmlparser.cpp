#include "sheet/xmlparser.h"

#include "sheet/ziparchive.h"

#include <expat.h>

#include <memory>
#include <new>

namespace luckdial::sheet {

namespace {

/// Bytes inflated into the parser per call: large enough that the calls cost
/// nothing next to the tokenizing, small next to any limit.
constexpr int kChunk = 256 * 1024;

struct ParserFree {
    void operator()(XML_Parser p) const { XML_ParserFree(p); }
};

XmlHandler& handlerOf(void* data) {
    return *static_cast<XmlHandler*>(data);
}

} // namespace

struct XmlCallbacks {
    static std::string_view nameOf(const XmlHandler& h, const XML_Char* name) {
        return h.namespaces_ ? std::string_view(name) : localName(name);
    }

    static void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes) {
        XmlHandler& h = handlerOf(data);
        if (++h.depth_ > h.maxDepth_) return h.stop(ReadError::Damaged);
        // The parser may report an element or two after a stop.
        if (!h.stopped()) h.startElement(nameOf(h, name), XmlAttributes(attributes));
    }

    static void XMLCALL onEnd(void* data, const XML_Char* name) {
        XmlHandler& h = handlerOf(data);
        --h.depth_;
        if (!h.stopped()) h.endElement(nameOf(h, name));
    }

    static void XMLCALL onText(void* data, const XML_Char* text, int length) {
        XmlHandler& h = handlerOf(data);
        if (!h.stopped()) h.characters(std::string_view(text, static_cast<std::size_t>(length)));
    }

    static void XMLCALL onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*,
                                  int) {
        handlerOf(data).stop(ReadError::Damaged);
    }
};

void XmlHandler::stop(ReadError why) {
    if (stopped_) return;
    stopped_ = true;
    why_ = why;
    if (parser_) XML_StopParser(static_cast<XML_Parser>(parser_), XML_FALSE);
}

ReadError parseXml(const ZipArchive& zip, std::uint64_t index, XmlHandler& handler,
                   bool namespaces) {
    ZipEntryStream in(zip, index);
    if (in.status() != ReadError::None) return in.status();
    std::unique_ptr<XML_ParserStruct, ParserFree> parser(
        namespaces ? XML_ParserCreateNS(nullptr, '|') : XML_ParserCreate(nullptr));
    if (!parser) throw std::bad_alloc();
    XML_Parser p = parser.get();
    XML_SetUserData(p, &handler);
    XML_SetElementHandler(p, XmlCallbacks::onStart, XmlCallbacks::onEnd);
    XML_SetCharacterDataHandler(p, XmlCallbacks::onText);
    XML_SetStartDoctypeDeclHandler(p, XmlCallbacks::onDoctype);
    handler.parser_ = p;
    handler.stopped_ = false;
    handler.why_ = ReadError::None;
    handler.depth_ = 0;
    handler.maxDepth_ = zip.limits().maxDepth;
    handler.namespaces_ = namespaces;

    ReadError result = ReadError::None;
    for (;;) {
        void* buffer = XML_GetBuffer(p, kChunk);
        if (!buffer) throw std::bad_alloc();
        std::int64_t n = in.read(static_cast<char*>(buffer), kChunk);
        if (n < 0) {
            result = in.status();
            break;
        }
        bool last = n == 0;
        if (XML_ParseBuffer(p, static_cast<int>(n), last) != XML_STATUS_OK) {
            result = handler.stopped_ ? handler.why_ : ReadError::Damaged;
            break;
        }
        if (last) break;
    }
    handler.parser_ = nullptr;
    return result;
}

} // namespace luckdial::sheet
