#pragma once
// "Translate menu": every PLU, title and note text of one language column translated into other columns,
// in three steps so that the service is never asked on the thread that owns the document:
//   Plan   (with the document)   what to translate, with what the memory already knows taken out;
//   Run    (on any thread)       the service asked for each distinct text, several at a time, cancellable;
//   Apply  (with the document)   the results written in one step, each only where the cell and its source
//                                text are still as planned, so edits made meanwhile win; a report.

#include <array>
#include <atomic>
#include <string>
#include <vector>

#include "designer/document/menu_document.h"
#include "designer/translate/translation_memory.h"
#include "designer/translate/translator.h"

namespace tabulo {

inline constexpr const char* kMainColumnNotTranslatedMessage =
    "Language 1 holds the menu's own texts (descriptions, titles and notes); it is translated from, never "
    "into.";

struct MenuTranslationRequest {
  int from = 1;            // language column 1..5
  std::vector<int> to;     // language columns 2..5
  bool overwrite = false;  // false: only empty cells are filled
};

struct MenuTranslationPlan {
  struct Cell {
    int row = 0;
    int column = 0;
    std::string source;    // the text translated
    std::string before;    // the cell when planned
    std::string recalled;  // the translation the memory gave ("" when a job asks the service)
    int job = -1;          // the job that translates it
    bool first_of_job = false;
  };
  struct Job {
    std::string text;
    int column = 0;
    Translation result;  // filled by RunMenuTranslation
    bool done = false;
  };
  MenuTranslationRequest request;
  std::array<std::string, kLanguages + 1> names;  // the column names when planned, by column
  std::vector<Cell> cells;
  std::vector<Job> jobs;
  int left_alone = 0;  // cells that hold a text already and are not overwritten
};

// What can be translated; "" or why nothing can (a column out of range, a name the service refuses).
// With `overwrite` the menu's own translations are not reused (they are what is being replaced); the memory
// file still is, hand corrections first.
std::string PlanMenuTranslation(const MenuDocument& doc, TranslationMemory* memory,
                                const TextTranslator& translator, const MenuTranslationRequest& request,
                                MenuTranslationPlan& plan);

struct MenuTranslationProgress {
  std::atomic<int> done{0};
  std::atomic<int> total{0};
  std::atomic<bool> cancel{false};  // set by anyone: no new request starts, those under way end
};

// Asks `translator` for every job, `parallel` requests at a time. After a failure that the service cannot
// recover from (no connection, no answer in time) nothing more is asked: the jobs left fail with the same
// message; after a refused language pair, the rest of that column does.
void RunMenuTranslation(MenuTranslationPlan& plan, TextTranslator& translator,
                        MenuTranslationProgress& progress, int parallel = 4);

struct MenuTranslationReport {
  int translated = 0;  // cells the service translated
  int reused = 0;      // cells answered from the memory, the menu, or another cell with the same text
  int failed = 0;
  int left_alone = 0;                 // cells that held a text, or were changed while the service was asked
  int not_reached = 0;                // cells left when the translation was cancelled
  std::vector<std::string> messages;  // each failure's message, once
  std::string Text() const;
};

// Writes the results into `doc` in one step and adds the service's translations to `memory`.
MenuTranslationReport ApplyMenuTranslation(MenuDocument& doc, TranslationMemory* memory,
                                           const MenuTranslationPlan& plan);

}  // namespace tabulo
