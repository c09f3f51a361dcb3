// result_list.h - the rows of a Find Files or Find Duplicate Files result list.
#ifndef APP_TOOLS_RESULT_LIST_H
#define APP_TOOLS_RESULT_LIST_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "model/catalog_model.h"

namespace tavlor {

// One row: an entry of the model, or a separator between sets of duplicates (entry
// null). The folder item the entry lies in is kept beside it, so the rows an
// announced removal takes can be found without reading entries.
struct ResultRow {
  const FileData *entry = nullptr;
  ItemId parent = kNoItem;

  static ResultRow of(const FileData &e) { return {&e, e.parentItem()}; }
  static ResultRow separator() { return {}; }
  bool isSeparator() const { return entry == nullptr; }
};

// Asks for the memory of the rows a walk in row order reaches soon: rows sorted by
// name lie all over the model, and an entry record, then its name, would otherwise be
// waited for one by one. Called with the row about to be written. The name is asked
// for 16 rows ahead, its record 32: in a model of ten million entries a fetch also waits
// for the page tables. Always inlined, as prefetchRecord is: to GCC a function that only
// prefetches has no effect, and a call of it that is not inlined first is dropped.
[[gnu::always_inline]] inline void prefetchRows(std::span<const ResultRow> rows, std::size_t at) {
  if (at + 32 < rows.size() && rows[at + 32].entry) prefetchRecord(rows[at + 32].entry);
  if (at + 16 < rows.size() && rows[at + 16].entry) __builtin_prefetch(rows[at + 16].entry->name().data());
}

// What a column click sorts by.
enum class ResultColumn { Name, InFolder, Size, Date };

// The rows of one result list, kept valid against the model: every entry the model
// announces it will destroy (a closed or reloaded disk, Open All Catalogs) takes its
// row away before it goes, so no row ever reaches a destroyed entry. In a list of
// sets of duplicates a set left with fewer than two members goes as a whole, with its
// separator.
//
// The model must outlive the list. Not copyable: the model holds its address.
class ResultList : private ModelObserver {
public:
  explicit ResultList(CatalogModel &model, bool sets = false);
  ~ResultList() override;
  ResultList(const ResultList &) = delete;
  ResultList &operator=(const ResultList &) = delete;

  CatalogModel &model() const { return model_; }
  const std::vector<ResultRow> &rows() const { return rows_; }
  std::size_t size() const { return rows_.size(); }
  const ResultRow &operator[](std::size_t row) const { return rows_[row]; }
  // The number of rows that hold an entry.
  std::size_t entryCount() const;

  // Replaces every row. Callers that show the rows announce the change themselves.
  void assign(std::vector<ResultRow> rows);
  void clear() { assign({}); }

  // Sorts the rows (ascending, or descending when asked); rows that compare equal
  // keep their order. Only for lists without separators. Returns where each row came
  // from: row k is the former row result[k].
  std::vector<std::uint32_t> sortBy(ResultColumn column, bool descending);
  // sortBy in two steps: the order alone, which leaves the rows as they are, and then
  // the rows put in it. The order reads names, dates, sizes and folder labels, which
  // painting the rows leaves as they are or, for a folder's sum, fills in the way
  // another thread may read it: another thread may make it while this one paints.
  std::vector<std::uint32_t> sortOrder(ResultColumn column, bool descending) const;
  void reorder(std::span<const std::uint32_t> from);

  // Called around the removal of rows whose entries are about to be destroyed, and
  // after the model dropped its size texts (unit or comma changed): a view resets or
  // redraws.
  std::function<void()> rowsAboutToBeRemoved;
  std::function<void()> rowsRemoved;
  std::function<void()> textsChanged;

private:
  void subtreeAboutToBeRemoved(ItemId parent, ItemId item, std::size_t row) override;
  void entriesAboutToBeRemoved(ItemId item) override;
  void entryAboutToBeRemoved(const FileData &entry, std::size_t index) override;
  void modelAboutToBeCleared() override;
  void sizeTextsDropped() override;

  // Removes the rows for which dead holds (and sets left too small).
  template <typename Dead> void removeRows(Dead &&dead);

  CatalogModel &model_;
  bool sets_;
  std::vector<ResultRow> rows_;
};

// The rows sorted by name, ignoring case, equal names in their given order: a fresh
// Find Files list. Returns where each row came from: row k is the former row result[k].
std::vector<std::uint32_t> sortByName(std::vector<ResultRow> &rows);
// sortByName in two steps: the order first, rows left as they are, then the rows put
// in it (row k becomes the former row from[k]).
std::vector<std::uint32_t> nameOrder(const std::vector<ResultRow> &rows);
void putInOrder(std::vector<ResultRow> &rows, std::span<const std::uint32_t> from);

} // namespace tavlor

#endif // APP_TOOLS_RESULT_LIST_H
