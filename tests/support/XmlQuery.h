// XPath over a hand-over file, for the end-to-end tests (header-only; a
// test folder that uses it links libxml2 itself, tests/CMakeLists.txt).
#pragma once

#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <memory>
#include <string>

namespace testsupport {

// Text of every node `xpath` selects in the XML file, in document order,
// joined by `sep` (a whole number for count()); "unreadable" when
// the file is not well-formed.
inline std::string Texts(const std::string& file, const std::string& xpath, const char* sep = ",") {
  std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(xmlReadFile(file.c_str(), nullptr, XML_PARSE_NONET),
                                                     xmlFreeDoc);
  if (doc == nullptr) return "unreadable";
  xmlXPathContextPtr ctx = xmlXPathNewContext(doc.get());
  xmlXPathObjectPtr result = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(xpath.c_str()), ctx);
  std::string texts = result != nullptr && result->type == XPATH_NUMBER
                          ? std::to_string(static_cast<long>(result->floatval))
                          : "";
  for (int i = 0; result != nullptr && result->nodesetval != nullptr && i < result->nodesetval->nodeNr; ++i) {
    xmlChar* content = xmlNodeGetContent(result->nodesetval->nodeTab[i]);
    texts +=
        (i > 0 ? sep : "") + std::string(content != nullptr ? reinterpret_cast<const char*>(content) : "");
    xmlFree(content);
  }
  xmlXPathFreeObject(result);
  xmlXPathFreeContext(ctx);
  return texts;
}

}  // namespace testsupport
