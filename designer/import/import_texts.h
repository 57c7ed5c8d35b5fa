#pragma once
// The fixed texts of the four Import menu commands: captions, the messages shown before a file is asked
// for, the names the open dialogs are pre-filled with, and the column headers read from the sheets.

namespace tabulo {

// Menu captions, by item name.
inline constexpr const char* kImportFromDllCaption = "Import From Last Sent PLUs";
inline constexpr const char* kImportMercatoXlsCaption = "Import From Mercato ( XLS)";
inline constexpr const char* kImportFromXlsCaption = "Import From XLS";
inline constexpr const char* kImportCSVCaption = "Import From CSV";
inline constexpr const char* kUpdateCatalogueCaption = "Update prices and names...";
inline constexpr const char* kExportCatalogueCaption = "Export catalogue...";

// Messages shown (with an OK button) before the open dialog.
inline constexpr const char* kImportCSVMessage =
    "Import Data from CSV, \"PLUCODE\",\"DESCRIPTION\",\"PRICE\"";
inline constexpr const char* kImportFromXlsMessage =
    "Import Data from XLS $Sheet1$, Table [PLUCODE][DESCRIPTION][PRICE]";

// File names the open dialogs start with.
inline constexpr const char* kImportCSVFileName = "*.csv";
inline constexpr const char* kImportFromXlsFileName = "DATA.XLS";
inline constexpr const char* kMercatoFamiliesFileName = "FAMI.XLS";
inline constexpr const char* kMercatoProductsFileName = "PLU.XLS";
inline constexpr const char* kUpdateCatalogueFileName = "*.xlsx;*.xls;*.csv;*.txt";
inline constexpr const char* kExportCatalogueFileName = "catalogue.xlsx";

// The worksheet read; the first sheet stands in when a workbook has none of that name.
inline constexpr const char* kImportSheetName = "Sheet1";

// Columns of the PLU sheet.
inline constexpr const char* kPluCodeHeader = "PLUCODE";
inline constexpr const char* kDescriptionHeader = "DESCRIPTION";
inline constexpr const char* kPriceHeader = "PRICE";

// Columns of the back-office sheets: the field definitions it exports as headers, taken verbatim.
inline constexpr const char* kFamilyComandoHeader = "COMANDO,N,4,0";
inline constexpr const char* kFamilyNumeroHeader = "NUMERO,N,3,0";
inline constexpr const char* kFamilyNomeHeader = "NOME,C,25";
inline constexpr const char* kProductNumeroHeader = "NUMERO,N,6,0";
inline constexpr const char* kProductVendaHeader = "VENDA,N,12,2";
inline constexpr const char* kProductPluHeader = "PLU,C,20";

}  // namespace tabulo
