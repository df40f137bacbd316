// The library's XML reader against libxml2's xmlTextReader, both walking the
// same transport-description-like document of 10,000 elements with Cyrillic
// attributes and reading every attribute value.
#include <benchmark/benchmark.h>
#include <libxml/xmlreader.h>

#include <string>

#include "lib/xml/xml_text_reader.h"
#include "lib/xml/xml_text_writer.h"

namespace {

constexpr int kElements = 10000;
const char* const kAttributes[] = {
    "типДокумента", "кодТипаДокумента",       "типСодержимого",  "сжат",
    "зашифрован",   "идентификаторДокумента", "исходноеИмяФайла"};

const std::string& Document() {
  static const std::string text = [] {
    CXMLTextWriter writer;
    writer.StartDocument();
    writer.StartElement("ТрансИнф");
    writer.WriteAttribute("версияФормата", "ЗЮК:1.0");
    for (int i = 0; i < kElements; ++i) {
      const std::string n = std::to_string(i);
      writer.StartElement("документ");
      writer.WriteAttribute(kAttributes[0], "Заявление о государственной регистрации");
      writer.WriteAttribute(kAttributes[1], "01");
      writer.WriteAttribute(kAttributes[2], "image/tiff");
      writer.WriteBoolAttribute(kAttributes[3], false);
      writer.WriteBoolAttribute(kAttributes[4], i % 2 == 0);
      writer.WriteAttribute(kAttributes[5], std::string(32 - n.size(), 'a') + n);
      writer.WriteAttribute(kAttributes[6], "Устав А&Б № " + n + ".pdf");
      writer.EndElement();
    }
    writer.EndDocument();
    return writer.GetXML();
  }();
  return text;
}

void LibraryReader(benchmark::State& state) {
  const std::string& text = Document();
  for (auto _ : state) {
    CXMLTextReader reader;
    reader.SetXML(text);
    reader.ReadElement("ТрансИнф");
    size_t bytes = 0;
    int elements = 0;
    while (reader.CurrentElementName() == "документ") {
      for (const char* name : kAttributes) bytes += reader.ReadAttribute(name).size();
      reader.ReadElement("документ");
      ++elements;
    }
    if (elements != kElements) state.SkipWithError("elements lost");
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void Libxml2TextReader(benchmark::State& state) {
  const std::string& text = Document();
  for (auto _ : state) {
    xmlTextReaderPtr reader = xmlReaderForMemory(text.data(), static_cast<int>(text.size()),
                                                 nullptr, nullptr, XML_PARSE_NONET);
    size_t bytes = 0;
    int elements = 0;
    while (xmlTextReaderRead(reader) == 1) {
      if (xmlTextReaderNodeType(reader) != XML_READER_TYPE_ELEMENT) continue;
      ++elements;
      while (xmlTextReaderMoveToNextAttribute(reader) == 1) {
        bytes += xmlStrlen(xmlTextReaderConstValue(reader));
      }
    }
    xmlFreeTextReader(reader);
    if (elements != kElements + 1) state.SkipWithError("elements lost");
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

}  // namespace

BENCHMARK(LibraryReader)->Unit(benchmark::kMillisecond);
BENCHMARK(Libxml2TextReader)->Unit(benchmark::kMillisecond);
