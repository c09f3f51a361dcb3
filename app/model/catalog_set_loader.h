// catalog_set_loader.h - reads many catalog files at once, on the processors there are.
#ifndef APP_MODEL_CATALOG_SET_LOADER_H
#define APP_MODEL_CATALOG_SET_LOADER_H

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "model/catalog_loader.h"

namespace tavlor {

// How many catalogs loadCatalogs reads at once: the processors this process may use, or
// TAVLOR_LOAD_THREADS when it holds a number from 1 (one after the other) up.
unsigned catalogLoadThreads();

// Loads the catalog files into model in their order, as loadCatalog of each in turn
// would: the same disks, the same disks of equal labels replaced, the same boxes in
// the same order, the same results. With threads above 1 the files are read that many
// at once, each into a model of its own on a thread of its own, and each joins model
// when it is complete and every file before it has joined. What a file's load says
// (boxes, damage) reaches reporter on this thread when that file's turn has come; a
// load that has said many things waits for its turn. While this thread waits,
// reporter's progress is called now and then, so a window can paint. loaded, when
// given, is called on this thread after each file has joined. A load that runs out of
// memory throws here, in its turn, once the other loads have stopped.
using CatalogLoaded = std::function<void(std::size_t index, const LoadResult &result)>;
std::vector<LoadResult> loadCatalogs(CatalogModel &model, const std::vector<std::string> &paths, LoadReporter &reporter,
                                     unsigned threads, const CatalogLoaded &loaded = {});

} // namespace tavlor

#endif // APP_MODEL_CATALOG_SET_LOADER_H
