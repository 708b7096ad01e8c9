// How items enter the tree: the kind a locator makes, the images of each kind,
// the root item, and a new folder or link under a chosen parent.
#pragma once
#include <string>
#include <string_view>

#include "store/document.h"

namespace perchlet {

enum class LocatorClass { Empty, Web, Mail, Other };

// Byte-for-byte and case-sensitive: "HTTP://" is not a web address here.
LocatorClass classifyLocator(std::string_view locator);
unsigned kindForLocator(std::string_view locator);

struct ImagePair {
    int normal;
    int selected;
};

enum ImageIndex : int {
    kImageLink = 0,
    kImageFolder = 2,
    kImageChanged = 4,
    kImageFailed = 6,
    kImageMail = 8,
    kImageUnvisited = 10,
    kImageProgram = 12,
    kFixedImageCount = 14,
};

// The fixed pair for a kind. Kind 7 normally gets the shell's icons; this gives its fallback.
ImagePair imagesForKind(unsigned kind);

// The shell's icons for a local file or program, appended to the image list.
class ShellIconSource {
public:
    virtual ~ShellIconSource() = default;
    virtual ImagePair appendIconsFor(const std::string& locator) = 0;
};

ImagePair imagesForRecord(unsigned kind, std::string_view locator, ShellIconSource& icons);

// What the editor, New Folder and page recording hand over; the rectangle arrives as text.
struct NewItemFields {
    std::string title;
    std::string locator;
    std::string comment;
    std::string x, y, width, height;
    std::uint32_t browser = 0;
};


// Makes the record and its node as the last child of parent. Sets the modified flag.
NodeId newItemUnder(Document& document, NodeId parent, const NewItemFields& fields,
                    ShellIconSource& icons);

// Replaces the node's title, address, comment and window rectangle with the fields (the
// editor's 差し替え). The kind, images, dates and mark stay, even when the new address would
// make another kind. False when the node has no record.
bool replaceItemFields(Document& document, NodeId node, const NewItemFields& fields);

// Puts the head record into the tree as its one top-level item.
NodeId insertRootItem(Document& document);

}  // namespace perchlet
