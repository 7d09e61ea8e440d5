#pragma once

#include <string>
#include <string_view>

namespace pugi {
class xml_document;
} // namespace pugi

namespace config {

// Parses a UTF-8 document into document, which must be empty. Comments, processing
// instructions, the declaration and the whitespace between elements are kept, so that
// SaveUtf8Xml gives back the document that was parsed. False when it is not exactly one
// well-formed document: pugixml alone would take more than one root element, text beside
// the root or an attribute given twice. After a failure document may hold part of a tree:
// parse into a document of its own.
bool ParseUtf8Xml(std::string_view utf8, pugi::xml_document& document);

// The document as UTF-8 text, without a declaration and with nothing added.
std::string SaveUtf8Xml(const pugi::xml_document& document);

// As ParseUtf8Xml for GBK text up to its first NUL byte, as a C string would end. Answers
// 0, or the errno value that says why not: EILSEQ when the text is not GBK, EINVAL when it
// is not one well-formed document.
int ParseGbkXml(std::string_view text, pugi::xml_document& document);

// The document as GBK text, as SaveUtf8Xml. False when it holds text that GBK cannot
// represent; gbk is then untouched.
bool WriteGbkXml(const pugi::xml_document& document, std::string& gbk);

} // namespace config
