#include "browser/dde_client_win.h"

#include <vector>

#include "browser/browser_kind.h"
#include "browser/dde_reply.h"
#include "shell/dialogs_win.h"
#include "store/bookmark_item.h"

namespace perchlet {

namespace {

constexpr DWORD kClientOnly = APPCMD_CLIENTONLY | CBF_SKIP_ALLNOTIFICATIONS;  // 0x003C0010
constexpr char kInfoCaption[] = "ブラウザ情報の取得";
constexpr std::size_t kReplyMax = 32767;

HDDEDATA CALLBACK clientCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    // A client-only instance that skips every notification is never called back.
    return nullptr;
}

// The reply as the question shows it: a screenful at most, cut between characters.
std::string replyShown(const std::string& reply) {
    constexpr std::size_t kShownMax = 2000;
    if (reply.size() <= kShownMax) return reply;
    return fitField(reply, kShownMax) + "…";
}

bool initialise(DWORD& instance, HWND owner) {
    if (DdeInitializeA(&instance, clientCallback, kClientOnly, 0) == DMLERR_NO_ERROR) return true;
    instance = 0;
    showMessage(owner, "DDEの初期化に失敗しました。", kInfoCaption, MB_OK | MB_ICONWARNING);
    return false;
}

// An ANSI string handle, freed with its owner.
class StringHandle {
public:
    StringHandle(DWORD instance, const std::string& text)
        : instance_(instance), handle_(DdeCreateStringHandleA(instance, text.c_str(), CP_WINANSI)) {}
    ~StringHandle() {
        if (handle_) DdeFreeStringHandle(instance_, handle_);
    }
    StringHandle(const StringHandle&) = delete;
    StringHandle& operator=(const StringHandle&) = delete;
    HSZ get() const { return handle_; }

private:
    DWORD instance_;
    HSZ handle_;
};

HCONV connect(DWORD instance, const char* service, const char* topic) {
    StringHandle serviceName(instance, service);
    StringHandle topicName(instance, topic);
    if (!serviceName.get() || !topicName.get()) return nullptr;
    return DdeConnect(instance, serviceName.get(), topicName.get(), nullptr);
}

// A temporary instance for one question, uninitialised when it goes.
class TemporaryInstance {
public:
    explicit TemporaryInstance(HWND owner) { ok_ = initialise(id_, owner); }
    ~TemporaryInstance() {
        if (ok_) DdeUninitialize(id_);
    }
    TemporaryInstance(const TemporaryInstance&) = delete;
    TemporaryInstance& operator=(const TemporaryInstance&) = delete;
    bool ok() const { return ok_; }
    DWORD id() const { return id_; }

private:
    DWORD id_ = 0;
    bool ok_ = false;
};

std::string copyReply(HDDEDATA data) {
    DWORD size = DdeGetData(data, nullptr, 0, 0);
    std::vector<char> bytes(std::min<std::size_t>(size, kReplyMax));
    if (!bytes.empty()) DdeGetData(data, reinterpret_cast<LPBYTE>(bytes.data()), static_cast<DWORD>(bytes.size()), 0);
    std::string reply(bytes.begin(), bytes.end());
    return reply.substr(0, reply.find('\0'));
}

}  // namespace

HCONV connectForOpening(BrowserContext& browser, HWND owner, const char* service) {
    if (!browser.state.ddeInstance && !initialise(browser.state.ddeInstance, owner)) return nullptr;
    return connect(browser.state.ddeInstance, service, "WWW_OpenURL");
}

static bool isConnected(HCONV conversation) {
    CONVINFO info{};
    info.cb = sizeof info;
    return DdeQueryConvInfo(conversation, QID_SYNC, &info) && (info.wStatus & ST_CONNECTED);
}

bool requestOpenUrl(BrowserContext& browser, std::string_view address, HCONV conversation) {
    if (!conversation) return false;
    std::string item = openUrlItem(address);
    if (!fitsDdeItem(item)) return false;
    StringHandle itemName(browser.state.ddeInstance, item);
    if (!itemName.get()) return false;
    HDDEDATA data = DdeClientTransaction(nullptr, 0, conversation, itemName.get(), CF_TEXT, XTYP_REQUEST,
                                         browser.state.ddeTimeoutMs, nullptr);
    if (data) {
        DdeFreeDataHandle(data);
        return true;
    }
    UINT error = DdeGetLastError(browser.state.ddeInstance);
    if (error == DMLERR_NOTPROCESSED) return false;
    // A browser that is slow to answer has usually opened the page all the same.
    if (error == DMLERR_DATAACKTIMEOUT) return true;
    // A conversation whose browser has ended would swallow the address as a "success".
    return isConnected(conversation);
}

namespace {

bool conversesWith(BrowserContext& browser, HCONV conversation, const char* service) {
    CONVINFO info{};
    info.cb = sizeof info;
    if (!DdeQueryConvInfo(conversation, QID_SYNC, &info)) return false;
    StringHandle name(browser.state.ddeInstance, service);
    return name.get() && (DdeCmpStringHandles(info.hszSvcPartner, name.get()) == 0 ||
                          DdeCmpStringHandles(info.hszServiceReq, name.get()) == 0);
}

}  // namespace

bool sendOpenUrl(BrowserContext& browser, HWND owner, const char* service, std::string_view address) {
    HCONV kept = browser.state.keptConversation;
    // The instance holds one conversation per service and topic: while the kept one is with
    // this browser, a second one cannot be opened beside it, so the kept one carries it.
    if (kept && conversesWith(browser, kept, service)) {
        if (requestOpenUrl(browser, address, kept)) return true;
        // The browser behind it has gone or refused: a fresh instance can connect again.
        endBrowserDde(browser);
    }
    HCONV conversation = connectForOpening(browser, owner, service);
    bool sent = requestOpenUrl(browser, address, conversation);
    disconnectConversation(conversation);
    return sent;
}

void disconnectConversation(HCONV conversation) {
    if (conversation) DdeDisconnect(conversation);
}

bool probeBrowser(HWND owner, const char* service) {
    TemporaryInstance instance(owner);
    if (!instance.ok()) return false;
    HCONV conversation = connect(instance.id(), service, "WWW_OpenURL");
    if (!conversation) return false;
    DdeDisconnect(conversation);
    return true;
}

void endKeptConversation(BrowserContext& browser) {
    disconnectConversation(browser.state.keptConversation);
    browser.state.keptConversation = nullptr;
}

void endBrowserDde(BrowserContext& browser) {
    endKeptConversation(browser);
    if (browser.state.ddeInstance) DdeUninitialize(browser.state.ddeInstance);
    browser.state.ddeInstance = 0;
}

std::string requestWindowInfo(BrowserContext& browser, HWND owner, const char* service) {
    TemporaryInstance instance(owner);
    if (!instance.ok()) return {};
    HCONV conversation = connect(instance.id(), service, "WWW_GetWindowInfo");
    if (!conversation) {
        showMessage(owner, "ブラウザとつながりませんでした。ブラウザが起動しているか確かめて下さい。", kInfoCaption,
                    MB_OK | MB_ICONWARNING);
        return {};
    }
    std::string reply;
    {
        StringHandle item(instance.id(), "0xFFFFFFFF");
        HDDEDATA data = item.get() ? DdeClientTransaction(nullptr, 0, conversation, item.get(), CF_TEXT,
                                                          XTYP_REQUEST, browser.state.ddeTimeoutMs, nullptr)
                                   : nullptr;
        if (data) {
            reply = copyReply(data);
            DdeFreeDataHandle(data);
        } else {
            showMessage(owner, "ブラウザから表示中のページを受け取れませんでした。", kInfoCaption, MB_OK | MB_ICONWARNING);
        }
    }
    DdeDisconnect(conversation);
    if (!reply.empty() && showMessage(owner, "次の情報を新しい項目として登録しますか？\r\n\r\n" + replyShown(reply),
                                      "表示中のURLを登録", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        reply.clear();
    return reply;
}

}  // namespace perchlet
