// The catalog loader under libFuzzer: any bytes must load without a crash, a hang or
// undefined behaviour, and leave a consistent model behind, also when loaded twice
// (the second load replaces the first).
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "model/catalog_loader.h"
#include "model/catalog_model.h"
#include "model/properties.h"

namespace {

class QuietReporter : public tavlor::LoadReporter {
public:
  void warning(const std::string &, const std::string &) override {}
};

std::size_t reachableEntries(tavlor::CatalogModel &model) {
  std::size_t count = 0;
  std::vector<tavlor::ItemId> pending{model.root()};
  while (!pending.empty()) {
    const tavlor::ItemId id = pending.back();
    pending.pop_back();
    count += model.entriesOf(id).size();
    for (tavlor::ItemId child : model.childrenOf(id))
      pending.push_back(child);
  }
  return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  tavlor::CatalogModel model;
  QuietReporter reporter;
  for (int pass = 0; pass < 2; ++pass) {
    tavlor::loadCatalogText(model, text, "fuzz.zar", reporter);
    if (model.entryCount() != reachableEntries(model)) __builtin_trap();
  }
  // Every derived value of every entry, as the panes and Properties ask for them.
  std::vector<tavlor::ItemId> pending{model.root()};
  while (!pending.empty()) {
    const tavlor::ItemId id = pending.back();
    pending.pop_back();
    for (const tavlor::FileData *e : model.entriesOf(id)) {
      (void)model.sizeText(*e);
      (void)model.dateText(*e);
      std::string zip;
      (void)model.zipFilePath(*e, zip);
      (void)tavlor::propertiesOf(model, *e);
    }
    for (tavlor::ItemId child : model.childrenOf(id))
      pending.push_back(child);
  }
  (void)tavlor::rootProperties(model, 0);
  return 0;
}
