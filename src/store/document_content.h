// What the undo history changes and restores: the records, the structure and the serial
// counter, apart from the history itself and the document's file.
#pragma once
#include "store/bookmark_tree.h"
#include "store/item_list.h"

namespace perchlet {

struct DocumentContent {
    ItemList items{makeRootRecord(dateStampNow())};
    BookmarkTree tree;
    SerialCounter serials;
};

}  // namespace perchlet
