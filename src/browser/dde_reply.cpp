#include "browser/dde_reply.h"

namespace perchlet {

// Placeholder until the reply parser lands.
BrowserPage parseWindowInfoReply(std::string_view) { return {}; }

}  // namespace perchlet
