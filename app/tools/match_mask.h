// match_mask.h - the wildcard matcher of Find Files and Find Duplicate Files.
#ifndef APP_TOOLS_MATCH_MASK_H
#define APP_TOOLS_MATCH_MASK_H

#include <string>
#include <string_view>

namespace tavlor {

// True when name matches mask. "*" stands for a run of characters and "?" for one;
// every other byte matches itself. Each star commits to the LAST occurrence of the
// literal run after it and never backtracks, so "*A*B" does not match "XAYBAZ", "A*"
// does not match "A", and "*?" and "**" match nothing. An empty mask matches every
// name. Bytes are compared as given: callers upper-case both texts.
bool matchMask(std::string_view mask, std::string_view name);

// matchMask against the name with ASCII letters upper-cased, without copying it; the
// mask must be upper-cased already.
bool matchMaskFolded(std::string_view upperMask, std::string_view name);

// The text with ASCII letters a-z turned into A-Z.
std::string upperCased(std::string_view text);

} // namespace tavlor

#endif // APP_TOOLS_MATCH_MASK_H
