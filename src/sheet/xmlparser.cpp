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

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes) {
    XmlHandler& h = handlerOf(data);
    // The parser may report an element or two after a stop.
    if (!h.stopped()) h.startElement(localName(name), XmlAttributes(attributes));
}

void XMLCALL onEnd(void* data, const XML_Char* name) {
    XmlHandler& h = handlerOf(data);
    if (!h.stopped()) h.endElement(localName(name));
}

void XMLCALL onText(void* data, const XML_Char* text, int length) {
    XmlHandler& h = handlerOf(data);
    if (!h.stopped()) h.characters(std::string_view(text, static_cast<std::size_t>(length)));
}

void XMLCALL onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
    handlerOf(data).stop(ReadError::Damaged);
}

} // namespace

void XmlHandler::stop(ReadError why) {
    if (stopped_) return;
    stopped_ = true;
    why_ = why;
    if (parser_) XML_StopParser(static_cast<XML_Parser>(parser_), XML_FALSE);
}

ReadError parseXml(const ZipArchive& zip, std::uint64_t index, XmlHandler& handler) {
    ZipEntryStream in(zip, index);
    if (in.status() != ReadError::None) return in.status();
    std::unique_ptr<XML_ParserStruct, ParserFree> parser(XML_ParserCreate(nullptr));
    if (!parser) throw std::bad_alloc();
    XML_Parser p = parser.get();
    XML_SetUserData(p, &handler);
    XML_SetElementHandler(p, onStart, onEnd);
    XML_SetCharacterDataHandler(p, onText);
    XML_SetStartDoctypeDeclHandler(p, onDoctype);
    handler.parser_ = p;
    handler.stopped_ = false;
    handler.why_ = ReadError::None;

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
