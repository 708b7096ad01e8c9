// What the undo history changes and restores: the records, the structure and the serial
// counter, apart from the history itself and the document's file.
#pragma once
#include "store/bookmark_tree.h"
#include "store/item_list.h"
#include "store/text_pool.h"

namespace perchlet {

struct DocumentContent {
    // A load's long texts, side by side in a few blocks rather than one allocation each:
    // records and nodes point into it until the document is reset. Declared first, it goes last.
    TextPool loadedTexts;
    ItemList items{makeRootRecord(dateStampNow())};
    BookmarkTree tree;
    SerialCounter serials;
};

}  // namespace perchlet
