#include "designer/history/undo_history.h"

#include <cstring>
#include <utility>

namespace tabulo {

namespace {

// ---- Bytes held ----

std::size_t HeapBytes(const std::string& text) {
  // Short texts live inside the string object itself.
  return text.capacity() > 15 ? text.capacity() + 1 : 0;
}
template <class T>
std::size_t HeapBytes(const T&) {
  return 0;
}
std::size_t HeapBytes(const LineLayoutRecord& line);
std::size_t HeapBytes(const ModifierRecord& modifier);
std::size_t HeapBytes(const ModifierDefRecord& definition);

template <class T, int N>
std::size_t HeapBytes(const CheckedTable<T, N>& table) {
  std::size_t bytes = sizeof(T) * N;
  for (int i = 0; i < N; ++i) bytes += HeapBytes(table[i]);
  return bytes;
}

std::size_t HeapBytes(const LineLayoutRecord& line) {
  return HeapBytes(line.Text) + HeapBytes(line.LineBackColor) + HeapBytes(line.LineForeColor) +
         HeapBytes(line.TitleText) + HeapBytes(line.TitleBackColor) + HeapBytes(line.TitleForeColor) +
         HeapBytes(line.TitlePicture);
}
std::size_t HeapBytes(const ModifierRecord& modifier) {
  return HeapBytes(modifier.Name) + HeapBytes(modifier.LevelName) + HeapBytes(modifier.Obrigatorio) +
         HeapBytes(modifier.Minimo) + HeapBytes(modifier.Maximo) + HeapBytes(modifier.Default);
}
std::size_t HeapBytes(const ModifierDefRecord& definition) {
  return HeapBytes(definition.Name) + HeapBytes(definition.PluCode) + HeapBytes(definition.PluDesc);
}

// ---- The document's fields, walked alike ----

// Every field of the menu, in a fixed order (a change names its field by that order). The hand-over values
// between windows are not part of the menu and are never undone.
template <class Doc, class Visit>
void WalkFields(Doc& a, Doc& b, Visit&& visit) {
  int field = 0;
  auto each = [&](auto& x, auto& y) { visit(field++, x, y); };
  each(a.PluNumber, b.PluNumber);
  each(a.PluField2, b.PluField2);
  each(a.PluField3, b.PluField3);
  each(a.PluPrice, b.PluPrice);
  each(a.PluDescription, b.PluDescription);
  each(a.NumPlus, b.NumPlus);
  each(a.Botoes, b.Botoes);
  each(a.LineLayout, b.LineLayout);
  each(a.Lang.Cells(), b.Lang.Cells());
  each(a.PageColorA, b.PageColorA);
  each(a.PageColorB, b.PageColorB);
  each(a.PagePictureA, b.PagePictureA);
  each(a.PagePictureB, b.PagePictureB);
  each(a.MarginXDescr, b.MarginXDescr);
  each(a.MarginXPrice, b.MarginXPrice);
  each(a.MarginY, b.MarginY);
  each(a.Currency, b.Currency);
  each(a.FontName, b.FontName);
  each(a.StyleBackColor, b.StyleBackColor);
  each(a.StyleForeColor, b.StyleForeColor);
  each(a.DefaultPageColor, b.DefaultPageColor);
  each(a.PrintLines, b.PrintLines);
  each(a.PagesVersion, b.PagesVersion);
  each(a.Modifiers, b.Modifiers);
  each(a.NumModifiers, b.NumModifiers);
  each(a.ModifierDefs, b.ModifierDefs);
  each(a.NumModifierDefs, b.NumModifierDefs);
  // A load or a new menu changes the project's name too: undoing it must not leave the old menu under the
  // new name, where the next save would overwrite the loaded project with it. ProjectBase is not the
  // project's name: every autosave borrows it for the work copy.
  each(a.ProjectFolder, b.ProjectFolder);
  each(a.ProjectPath, b.ProjectPath);
}

// Bit for bit for numbers, so a margin read as NaN is not a change at every step.
template <class T>
bool Same(const T& a, const T& b) {
  return a == b;
}
bool Same(float a, float b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

template <class T, int N>
bool SameField(const CheckedTable<T, N>& a, const CheckedTable<T, N>& b) {
  return a == b;
}
template <class T>
bool SameField(const T& a, const T& b) {
  return Same(a, b);
}

}  // namespace

// ---- Steps ----

struct FieldChange {
  explicit FieldChange(int f) : field(f) {}
  virtual ~FieldChange() = default;
  virtual std::size_t Bytes() const = 0;
  int field;
};

// Changed entries of one table (a value field is a table of one entry), each with the value the document
// does not hold now.
template <class T>
struct EntryChanges : FieldChange {
  using FieldChange::FieldChange;
  std::size_t Bytes() const override {
    std::size_t bytes = sizeof(*this) + entries.capacity() * sizeof(entries[0]);
    for (const auto& entry : entries) bytes += HeapBytes(entry.second);
    return bytes;
  }
  std::vector<std::pair<int, T>> entries;
};

struct UndoHistory::Step {
  std::string name;
  uint64_t id = 0;
  std::size_t bytes = 0;
  std::vector<std::unique_ptr<FieldChange>> changes;

  std::size_t Bytes() const {
    std::size_t total = sizeof(*this) + HeapBytes(name) + changes.capacity() * sizeof(changes[0]);
    for (const auto& change : changes) total += change->Bytes();
    return total;
  }
};

namespace {

// What changed of one field since it was recorded: the recorded values go into the step, the document's
// into the recorded copy.
template <class T, int N>
void Collect(int field, const CheckedTable<T, N>& now, CheckedTable<T, N>& recorded,
             UndoHistory::Step& step) {
  if (now == recorded) return;
  auto change = std::make_unique<EntryChanges<T>>(field);
  for (int i = 0; i < N; ++i) {
    if (now[i] == recorded[i]) continue;
    change->entries.emplace_back(i, std::move(recorded[i]));
    recorded[i] = now[i];
  }
  change->entries.shrink_to_fit();
  step.changes.push_back(std::move(change));
}
template <class T>
void Collect(int field, const T& now, T& recorded, UndoHistory::Step& step) {
  if (Same(now, recorded)) return;
  auto change = std::make_unique<EntryChanges<T>>(field);
  change->entries.emplace_back(0, std::move(recorded));
  recorded = now;
  step.changes.push_back(std::move(change));
}

// A step's values and the document's exchanged: the same call undoes and redoes.
template <class T, int N>
void Exchange(FieldChange& change, CheckedTable<T, N>& now, CheckedTable<T, N>& recorded) {
  auto* entries = dynamic_cast<EntryChanges<T>*>(&change);
  if (!entries) return;
  for (auto& [i, value] : entries->entries) {
    std::swap(now[i], value);
    recorded[i] = now[i];
  }
}
template <class T>
void Exchange(FieldChange& change, T& now, T& recorded) {
  auto* entries = dynamic_cast<EntryChanges<T>*>(&change);
  if (!entries || entries->entries.size() != 1) return;
  std::swap(now, entries->entries[0].second);
  recorded = now;
}

}  // namespace

std::size_t DocumentBytes(const MenuDocument& doc) {
  std::size_t bytes = sizeof(MenuDocument);
  WalkFields(doc, doc, [&bytes](int, const auto& field, const auto&) { bytes += HeapBytes(field); });
  return bytes;
}

UndoHistory::UndoHistory(MenuDocument& doc, std::size_t memory_limit)
    : doc_(doc), recorded_(std::make_unique<MenuDocument>(doc)), memory_limit_(memory_limit) {
  recorded_bytes_ = DocumentBytes(*recorded_);
}

UndoHistory::~UndoHistory() = default;

void UndoHistory::BeginStep(const std::string& name) {
  if (depth_++ > 0) return;
  Record(label_);
  open_name_ = name;
}

void UndoHistory::EndStep() {
  if (depth_ == 0 || --depth_ > 0) return;
  Record(open_name_);
}

void UndoHistory::Label(const std::string& name) {
  if (name == label_) return;
  if (depth_ == 0) Record(label_);
  label_ = name;
}

bool UndoHistory::RecordPending(const std::string& name) {
  if (depth_ > 0) return false;
  uint64_t before = next_id_;
  Record(name.empty() ? label_ : name);
  return next_id_ != before;
}

void UndoHistory::Absorb() {
  Step unrecorded;
  WalkFields(doc_, *recorded_, [&unrecorded](int field, const auto& now, auto& recorded) {
    Collect(field, now, recorded, unrecorded);
  });
  if (!unrecorded.changes.empty()) recorded_bytes_ = DocumentBytes(*recorded_);
}

bool UndoHistory::Pending() const {
  bool same = true;
  WalkFields(doc_, *recorded_, [&same](int, const auto& now, const auto& recorded) {
    if (same && !SameField(now, recorded)) same = false;
  });
  return !same;
}

void UndoHistory::Record(const std::string& name) {
  auto step = std::make_unique<Step>();
  WalkFields(doc_, *recorded_,
             [&step](int field, const auto& now, auto& recorded) { Collect(field, now, recorded, *step); });
  if (step->changes.empty()) return;
  step->name = name;
  step->id = next_id_++;
  step->bytes = step->Bytes();
  for (const auto& dropped : redo_) steps_bytes_ -= dropped->bytes;
  redo_.clear();
  steps_bytes_ += step->bytes;
  undo_.push_back(std::move(step));
  recorded_bytes_ = DocumentBytes(*recorded_);
  DropOldSteps();
}

void UndoHistory::DropOldSteps() {
  while (!undo_.empty() && (undo_.size() > static_cast<std::size_t>(kMaxUndoSteps) ||
                            (MemoryBytes() > memory_limit_ && undo_.size() > 1))) {
    bottom_id_ = undo_.front()->id;
    steps_bytes_ -= undo_.front()->bytes;
    undo_.pop_front();
  }
}

std::string UndoHistory::UndoName() const {
  if (Pending()) return label_;
  return undo_.empty() ? std::string() : undo_.back()->name;
}

std::string UndoHistory::RedoName() const {
  return CanRedo() ? redo_.back()->name : std::string();
}

namespace {

void Apply(UndoHistory::Step& step, MenuDocument& doc, MenuDocument& recorded) {
  for (auto& change : step.changes) {
    WalkFields(doc, recorded, [&change](int field, auto& now, auto& kept) {
      if (field == change->field) Exchange(*change, now, kept);
    });
  }
}

}  // namespace

bool UndoHistory::Undo() {
  if (depth_ > 0) return false;
  Record(label_);
  if (undo_.empty()) return false;
  std::unique_ptr<Step> step = std::move(undo_.back());
  undo_.pop_back();
  steps_bytes_ -= step->bytes;
  Apply(*step, doc_, *recorded_);
  step->bytes = step->Bytes();
  steps_bytes_ += step->bytes;
  recorded_bytes_ = DocumentBytes(*recorded_);
  redo_.push_back(std::move(step));
  return true;
}

bool UndoHistory::Redo() {
  if (depth_ > 0 || !CanRedo()) return false;
  std::unique_ptr<Step> step = std::move(redo_.back());
  redo_.pop_back();
  steps_bytes_ -= step->bytes;
  Apply(*step, doc_, *recorded_);
  step->bytes = step->Bytes();
  steps_bytes_ += step->bytes;
  recorded_bytes_ = DocumentBytes(*recorded_);
  undo_.push_back(std::move(step));
  return true;
}

void UndoHistory::Clear() {
  undo_.clear();
  redo_.clear();
  steps_bytes_ = 0;
  *recorded_ = doc_;
  recorded_bytes_ = DocumentBytes(*recorded_);
  bottom_id_ = next_id_++;
  saved_id_ = bottom_id_;
}

std::size_t UndoHistory::MemoryBytes() const {
  return recorded_bytes_ + steps_bytes_;
}

uint64_t UndoHistory::TopId() const {
  return undo_.empty() ? bottom_id_ : undo_.back()->id;
}

void UndoHistory::MarkSaved() {
  if (depth_ == 0) Record(label_);
  saved_id_ = TopId();
}

bool UndoHistory::Modified() const {
  return TopId() != saved_id_ || Pending();
}

}  // namespace tabulo
