#include "search/duplicates.h"

#include <cstdlib>
#include <unordered_map>

namespace perchlet {

namespace {

char smallLetter(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c; }

std::string lowerCased(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = smallLetter(c);
    return out;
}

bool isSchemeCharacter(char c, bool first) {
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return letter || (!first && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
}

// "scheme" of "scheme://..."; empty when the text does not start that way.
std::string_view schemeOf(std::string_view address) {
    std::size_t colon = address.find("://");
    if (colon == std::string_view::npos || colon == 0) return {};
    for (std::size_t i = 0; i < colon; ++i)
        if (!isSchemeCharacter(address[i], i == 0)) return {};
    return address.substr(0, colon);
}

bool isTrackingParameter(std::string_view parameter) {
    std::string name = lowerCased(parameter.substr(0, parameter.find('=')));
    return name.compare(0, 4, "utm_") == 0 || name == "fbclid" || name == "gclid";
}

std::string withoutTracking(std::string_view query) {
    std::string kept;
    std::size_t pos = 0;
    while (pos <= query.size()) {
        std::size_t end = query.find('&', pos);
        if (end == std::string_view::npos) end = query.size();
        std::string_view parameter = query.substr(pos, end - pos);
        if (!parameter.empty() && !isTrackingParameter(parameter)) {
            if (!kept.empty()) kept += '&';
            kept += parameter;
        }
        pos = end + 1;
    }
    return kept;
}

std::string_view defaultPortOf(std::string_view scheme) {
    if (scheme == "http") return "80";
    if (scheme == "https") return "443";
    if (scheme == "ftp") return "21";
    return {};
}

// "user@Host:port" with the host in small letters and a default port left out.
std::string normalizedAuthority(std::string_view authority, std::string_view scheme) {
    std::size_t at = authority.rfind('@');
    std::string userInfo(at == std::string_view::npos ? std::string_view{} : authority.substr(0, at + 1));
    std::string_view hostPort = at == std::string_view::npos ? authority : authority.substr(at + 1);
    std::size_t colon = hostPort.rfind(':');
    if (colon != std::string_view::npos && hostPort.find(']', colon) != std::string_view::npos)
        colon = std::string_view::npos;  // a colon inside [IPv6]
    std::string host = lowerCased(hostPort.substr(0, colon));
    std::string_view port = colon == std::string_view::npos ? std::string_view{} : hostPort.substr(colon + 1);
    if (!port.empty() && port != defaultPortOf(scheme)) host += ":" + std::string(port);
    return userInfo + host;
}

}  // namespace

std::string normalizedAddress(std::string_view address, const AddressOptions& options) {
    std::string_view schemeText = schemeOf(address);
    if (schemeText.empty()) return std::string(address);
    std::string scheme = lowerCased(schemeText);
    std::string_view rest = address.substr(schemeText.size() + 3);
    rest = rest.substr(0, rest.find('#'));
    std::size_t authorityEnd = rest.find_first_of("/?");
    if (authorityEnd == std::string_view::npos) authorityEnd = rest.size();
    std::string authority = normalizedAuthority(rest.substr(0, authorityEnd), scheme);
    rest.remove_prefix(authorityEnd);
    std::size_t question = rest.find('?');
    std::string_view path = rest.substr(0, question);
    std::string query = question == std::string_view::npos ? std::string() : withoutTracking(rest.substr(question + 1));
    if (!path.empty() && path.back() == '/') path.remove_suffix(1);
    if (options.joinHttpAndHttps && scheme == "https") scheme = "http";
    std::string out = scheme + "://" + authority + std::string(path);
    if (!query.empty()) out += "?" + query;
    return out;
}

std::vector<DuplicateGroup> findDuplicates(const Document& document, const AddressOptions& options) {
    std::vector<DuplicateGroup> groups;
    std::unordered_map<std::string, std::size_t> groupOf;
    const BookmarkTree& tree = document.tree;
    for (NodeId top = tree.firstTopLevel(); top != kNoNode; top = tree.nextSibling(top)) {
        tree.walkSubtree(top, [&](NodeId node) {
            const BookmarkItem* record = nodeRecord(document, node);
            if (!record || record->locator.empty()) return;
            std::string address = normalizedAddress(record->locator, options);
            auto [it, added] = groupOf.emplace(address, groups.size());
            if (added) groups.push_back({std::move(address), {}});
            groups[it->second].nodes.push_back(node);
        });
    }
    std::vector<DuplicateGroup> duplicates;
    for (DuplicateGroup& group : groups)
        if (group.nodes.size() > 1) duplicates.push_back(std::move(group));
    return duplicates;
}

std::vector<NodeId> olderCopies(const Document& document, const DuplicateGroup& group) {
    auto added = [&](NodeId node) {
        const BookmarkItem* record = nodeRecord(document, node);
        return record ? dateSeconds(record->addDate) : 0LL;
    };
    NodeId newest = kNoNode;
    long long newestDate = 0;
    for (NodeId node : group.nodes) {
        long long date = added(node);
        if (newest == kNoNode || date > newestDate) newest = node, newestDate = date;
    }
    std::vector<NodeId> older;
    for (NodeId node : group.nodes)
        if (node != newest) older.push_back(node);
    return older;
}

}  // namespace perchlet
