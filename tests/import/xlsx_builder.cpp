#include "tests/import/xlsx_builder.h"

#include <zip.h>

#include <stdexcept>

namespace tabulo::test {

std::string ZipBytes(const std::vector<ZipPart>& parts) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  if (!buffer) throw std::runtime_error("zip buffer");
  zip_source_keep(buffer);
  zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
  if (!archive) throw std::runtime_error("zip open");
  for (const ZipPart& part : parts) {
    zip_source_t* source = zip_source_buffer(archive, part.content.data(), part.content.size(), 0);
    if (!source || zip_file_add(archive, part.name.c_str(), source, ZIP_FL_OVERWRITE) < 0) {
      zip_source_free(source);
      throw std::runtime_error("zip add " + part.name);
    }
  }
  if (zip_close(archive) != 0) throw std::runtime_error("zip close");
  std::string bytes;
  if (zip_source_open(buffer) == 0) {
    char chunk[4096];
    zip_int64_t got;
    while ((got = zip_source_read(buffer, chunk, sizeof chunk)) > 0)
      bytes.append(chunk, static_cast<size_t>(got));
    zip_source_close(buffer);
  }
  zip_source_free(buffer);
  zip_error_fini(&error);
  return bytes;
}

std::vector<ZipPart> XlsxParts(const std::vector<SheetXml>& sheets, const std::vector<std::string>& shared) {
  const std::string main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  std::vector<ZipPart> parts;
  parts.push_back({"[Content_Types].xml",
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
                   "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"});
  parts.push_back({"_rels/.rels",
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
                   "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                   "<Relationship Id=\"rId1\" Type=\"" +
                       rel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"});
  std::string workbook = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook xmlns=\"" + main +
                         "\" xmlns:r=\"" + rel + "\"><sheets>";
  std::string rels =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
      "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  for (size_t i = 0; i < sheets.size(); ++i) {
    std::string n = std::to_string(i + 1);
    workbook += "<sheet name=\"" + sheets[i].name + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
    rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + rel + "/worksheet\" Target=\"worksheets/sheet" + n +
            ".xml\"/>";
    parts.push_back({"xl/worksheets/sheet" + n + ".xml",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?><worksheet xmlns=\"" + main +
                         "\"><sheetData>" + sheets[i].sheet_data + "</sheetData></worksheet>"});
  }
  workbook += "</sheets></workbook>";
  if (!shared.empty()) {
    rels += "<Relationship Id=\"rIdS\" Type=\"" + rel + "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
    std::string sst = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><sst xmlns=\"" + main + "\">";
    for (const std::string& text : shared) sst += "<si><t>" + text + "</t></si>";
    parts.push_back({"xl/sharedStrings.xml", sst + "</sst>"});
  }
  rels += "</Relationships>";
  parts.push_back({"xl/workbook.xml", workbook});
  parts.push_back({"xl/_rels/workbook.xml.rels", rels});
  return parts;
}

std::string XlsxRow(int row, const std::vector<std::string>& values) {
  std::string xml = "<row r=\"" + std::to_string(row) + "\">";
  for (size_t i = 0; i < values.size(); ++i) {
    std::string ref = std::string(1, static_cast<char>('A' + i)) + std::to_string(row);
    const std::string& value = values[i];
    if (!value.empty() && value[0] == '=') {
      xml += "<c r=\"" + ref + "\"><v>" + value.substr(1) + "</v></c>";
    } else {
      xml += "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + value + "</t></is></c>";
    }
  }
  return xml + "</row>";
}

}  // namespace tabulo::test
