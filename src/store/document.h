// The open document: its records, its structure and what the program knows about its file.
#pragma once
#include <string>

#include "store/document_content.h"
#include "store/encoding.h"
#include "store/file_stamp.h"
#include "store/incoming_text.h"
#include "store/undo_history.h"

namespace perchlet {

// The data file the document was read from or is saved to.
struct OpenFile {
    std::wstring path;  // as the file calls take it; empty: none yet, and Save asks for one
    std::wstring name;  // shown in the caption, every character of it
    FileStamp stamp;    // the file as last loaded or saved
    // The texts' encoding in memory and in the file; a file the program has always written is
    // Shift-JIS.
    TextEncoding encoding = TextEncoding::ShiftJis;
    // Asked once for a Shift-JIS file, when characters it cannot hold first come in.
    ShiftJisAnswer shiftJisAnswer = ShiftJisAnswer::NotAsked;
};

struct Document : DocumentContent {
    OpenFile file;
    bool loaded = false;
    UndoHistory history;

    // Changes not yet in the file; the undo history knows.
    bool modified() const { return history.modified(); }
};

// Opens a step for the lifetime of the object.
class UndoStep {
public:
    UndoStep(Document& document, std::string name);
    ~UndoStep();
    UndoStep(const UndoStep&) = delete;
    UndoStep& operator=(const UndoStep&) = delete;
    void setFocus(NodeId afterUndo, NodeId afterRedo);

private:
    Document& document_;
};

// A new item number of this kind and depth: the serial counter advances, and serials that
// some record already holds are passed over, so that a lookup by number always finds the
// new item. (The counter can meet held numbers after wrapping at 65536, or after loading a
// file whose serials run higher than its record count.)
ItemNumber allocateItemNumber(Document& document, unsigned kind, unsigned depth);

// The same under a parent: depth = parent's depth + 1.
ItemNumber allocateItemNumberUnder(Document& document, ItemNumber parent, unsigned kind);

// The record a tree node stands for; nullptr when it has none. Every caller that acts on a
// node's record goes through here rather than looking the node's item number up.
// A node made without a record of its own is matched by its number, as a last resort.
BookmarkItem* nodeRecord(Document& document, NodeId node);
const BookmarkItem* nodeRecord(const Document& document, NodeId node);

// Appends the record and makes its node, the last child of parent, showing the record's
// number and title, bold by its mark, and linked to it. A title in the document's loaded
// texts is shared with the node, not copied.
NodeId insertRecordNode(Document& document, NodeId parent, BookmarkItem record, int image,
                        int selectedImage);
// The same for the record last appended to the document's list.
NodeId insertNodeOfLastRecord(Document& document, NodeId parent, int image, int selectedImage);

// Empties the document: a fresh root record, no tree items, the counter back at 0.
void resetDocument(Document& document);

}  // namespace perchlet
