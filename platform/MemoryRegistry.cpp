#include "platform/MemoryRegistry.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <vector>

namespace brindle {

using namespace win;

namespace {

// Win32 answers that WinTypes.h has no other use for.
constexpr LONG ERROR_BAD_PATHNAME = 161;  // a sub-key path that starts with '\'
constexpr DWORD REG_OPTION_VOLATILE = 1;

// Hops through symbolic links while resolving one path; more means a loop.
constexpr int kMaxLinkHops = 16;

constexpr std::u16string_view kRootName = u"Registry";
constexpr std::u16string_view kLinkValueName = u"SymbolicLinkValue";

// Where each predefined root lives in the tree; empty for roots we do not offer.
std::u16string_view PredefinedPath(HKEY key) {
    switch (key) {
    case HKEY_CLASSES_ROOT: return u"Machine\\Software\\Classes";
    case HKEY_CURRENT_USER: return u"User\\S-1-5-21-0-0-0-1000";
    case HKEY_LOCAL_MACHINE: return u"Machine";
    case HKEY_USERS: return u"User";
    case HKEY_CURRENT_CONFIG: return u"Machine\\System\\CurrentControlSet\\Hardware Profiles\\Current";
    default: return {};
    }
}

constexpr HKEY kSupportedRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                                    HKEY_CURRENT_CONFIG};

bool IsPredefined(HKEY key) { return key >= HKEY_CLASSES_ROOT && key <= HKEY_DYN_DATA; }

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// Takes the next '\'-separated name off the front of path; runs of separators count as
// one and a trailing one is ignored, as Wine's server reads paths.
std::u16string_view NextSegment(std::u16string_view& path) {
    std::size_t start = 0;
    while (start < path.size() && path[start] == u'\\') ++start;
    std::size_t end = start;
    while (end < path.size() && path[end] != u'\\') ++end;
    const std::u16string_view segment = path.substr(start, end - start);
    path.remove_prefix(end);
    return segment;
}

// A registry value's UTF-16LE bytes as code units; an odd trailing byte is dropped.
void DecodeUtf16(const std::vector<std::uint8_t>& bytes, std::u16string& out) {
    out.resize(bytes.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
}

void EncodeUtf16(std::u16string_view text, std::vector<std::uint8_t>& out) {
    out.resize(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        out[2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
        out[2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
    }
}

bool IsGuarded(const RegistryKeyNode& node) { return node.isProtected || node.isLink; }

// Protection covers everything below a protected key.
bool IsGuardedOrBelowGuarded(const RegistryKeyNode* node) {
    for (; node != nullptr; node = node->parent) {
        if (IsGuarded(*node)) return true;
    }
    return false;
}

FILETIME ToFileTime(std::uint64_t ticks) {
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

std::uint64_t SystemFileTime() {
    // FILETIME counts 100 ns ticks from 1601-01-01; the Unix epoch is this many ticks later.
    constexpr std::uint64_t kUnixEpochTicks = 116444736000000000ULL;
    using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>;
    const auto sinceUnixEpoch = std::chrono::duration_cast<Ticks>(std::chrono::system_clock::now().time_since_epoch());
    return kUnixEpochTicks + static_cast<std::uint64_t>(sinceUnixEpoch.count());
}

DWORD ClampToDword(std::size_t size) {
    return size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(size);
}

}  // namespace

struct MemoryRegistry::Impl {
    // Handles are small multiples of 4 that encode a slot and its generation, so a closed
    // handle stays invalid until its slot has been reused 128 times.
    static constexpr unsigned kSlotBits = 21;
    static constexpr std::size_t kMaxSlots = std::size_t{1} << kSlotBits;
    static constexpr unsigned kGenerations = 128;

    struct OpenKey {
        std::shared_ptr<RegistryKeyNode> node;  // keeps a deleted key alive for ERROR_KEY_DELETED
        bool throughLink = false;
        std::uint8_t generation = 0;
    };

    // A key an operation starts from: a predefined root or an open handle.
    struct KeyRef {
        RegistryKeyNode* node = nullptr;
        bool throughLink = false;
        bool predefined = false;
    };

    struct Resolution {
        LONG status = ERROR_SUCCESS;
        RegistryKeyNode* node = nullptr;
        bool throughLink = false;
        bool created = false;
    };

    enum class Missing { Fail, Create };

    struct CreateRequest {
        bool isVolatile = false;
    };

    explicit Impl(MemoryRegistry& owner) : owner(owner), root(std::make_shared<RegistryKeyNode>()) {
        root->name = kRootName;
    }

    ~Impl() {
        slots.clear();
        // Tear the tree down level by level: recursive destruction of a deep tree could
        // exhaust the stack.
        std::vector<std::shared_ptr<RegistryKeyNode>> doomed;
        doomed.push_back(std::move(root));
        while (!doomed.empty()) {
            auto node = std::move(doomed.back());
            doomed.pop_back();
            for (auto& child : node->subKeys) doomed.push_back(std::move(child));
        }
    }

    MemoryRegistry& owner;
    std::mutex mutex;
    std::shared_ptr<RegistryKeyNode> root;
    std::vector<OpenKey> slots;
    std::vector<std::uint32_t> freeSlots;
    Clock clock = SystemFileTime;
    std::uint64_t changes = 0;
    // Reused across calls so that converting names and data does not allocate each time.
    std::u16string nameBuffer;
    std::u16string dataBuffer;

    const CodePage& codePage() const { return owner.m_codePage; }
    std::uint64_t now() const { return clock(); }

    // --- Handles ---

    LONG issueHandle(RegistryKeyNode* node, bool throughLink, HKEY* result) {
        std::shared_ptr<RegistryKeyNode> shared = sharedOf(node);
        if (!shared) return ERROR_KEY_DELETED;
        std::uint32_t slot;
        if (!freeSlots.empty()) {
            slot = freeSlots.back();
            freeSlots.pop_back();
        } else {
            if (slots.size() >= kMaxSlots) return ERROR_NOT_ENOUGH_MEMORY;
            slot = static_cast<std::uint32_t>(slots.size());
            slots.emplace_back();
        }
        OpenKey& open = slots[slot];
        open.node = std::move(shared);
        open.throughLink = throughLink;
        const std::uintptr_t index = (std::uintptr_t{open.generation} << kSlotBits) | slot;
        *result = (index + 1) * 4;
        return ERROR_SUCCESS;
    }

    OpenKey* findHandle(HKEY key) {
        if (key == 0 || key % 4 != 0 || IsPredefined(key)) return nullptr;
        const std::uintptr_t index = key / 4 - 1;
        const std::uintptr_t slot = index & (kMaxSlots - 1);
        const std::uintptr_t generation = index >> kSlotBits;
        if (slot >= slots.size() || generation >= kGenerations) return nullptr;
        OpenKey& open = slots[slot];
        if (!open.node || open.generation != generation) return nullptr;
        return &open;
    }

    void releaseHandle(OpenKey& open) {
        open.node.reset();
        open.generation = static_cast<std::uint8_t>((open.generation + 1) % kGenerations);
        freeSlots.push_back(static_cast<std::uint32_t>(&open - slots.data()));
    }

    // The parent's slot that owns node; null for the root or a node no longer in the tree.
    static std::shared_ptr<RegistryKeyNode>* owningSlot(RegistryKeyNode* node) {
        if (node->parent == nullptr) return nullptr;
        auto& siblings = node->parent->subKeys;
        const auto found = std::lower_bound(siblings.begin(), siblings.end(), node->name,
                                            [](const std::shared_ptr<RegistryKeyNode>& sibling,
                                               const std::u16string& name) {
                                                return CompareRegistryNames(sibling->name, name) < 0;
                                            });
        if (found == siblings.end() || found->get() != node) return nullptr;
        return &*found;
    }

    std::shared_ptr<RegistryKeyNode> sharedOf(RegistryKeyNode* node) const {
        if (node == root.get()) return root;
        const std::shared_ptr<RegistryKeyNode>* slot = owningSlot(node);
        return slot != nullptr ? *slot : nullptr;
    }

    LONG lookup(HKEY key, KeyRef& ref) {
        if (IsPredefined(key)) {
            const std::u16string_view path = PredefinedPath(key);
            if (path.empty()) return ERROR_INVALID_HANDLE;
            // A loader may have replaced the branches behind a root; bring them back.
            const Resolution resolved = walk(root.get(), path, false, Missing::Create, CreateRequest{});
            if (resolved.status != ERROR_SUCCESS) return resolved.status;
            ref = KeyRef{resolved.node, resolved.throughLink, true};
            return ERROR_SUCCESS;
        }
        OpenKey* open = findHandle(key);
        if (open == nullptr) return ERROR_INVALID_HANDLE;
        if (open->node->isDeleted) return ERROR_KEY_DELETED;
        ref = KeyRef{open->node.get(), open->throughLink, false};
        return ERROR_SUCCESS;
    }

    // The node a predefined root maps to, without creating anything; null when absent.
    RegistryKeyNode* predefinedNode(HKEY key) {
        const Resolution resolved = walk(root.get(), PredefinedPath(key), false, Missing::Fail, CreateRequest{});
        return resolved.status == ERROR_SUCCESS ? resolved.node : nullptr;
    }

    // The keys behind the predefined roots, and the tree's root: never deleted.
    using RootTargets = std::array<const RegistryKeyNode*, std::size(kSupportedRoots) + 1>;
    RootTargets rootTargets() {
        RootTargets targets{};
        targets[0] = root.get();
        for (std::size_t i = 0; i < std::size(kSupportedRoots); ++i) targets[i + 1] = predefinedNode(kSupportedRoots[i]);
        return targets;
    }

    static bool isRootTarget(const RegistryKeyNode* node, const RootTargets& targets) {
        return std::find(targets.begin(), targets.end(), node) != targets.end();
    }

    // --- Paths ---

    // Converts an ANSI sub-key path or value name into nameBuffer.
    std::u16string_view convertName(const char* ansi) {
        codePage().toUtf16(ansi == nullptr ? std::string_view() : std::string_view(ansi), nameBuffer);
        return nameBuffer;
    }

    // Walks path from start, following every symbolic link met on the way (including
    // one at the end), creating missing keys when asked.
    Resolution walk(RegistryKeyNode* start, std::u16string_view path, bool throughLink, Missing missing,
                    const CreateRequest& request) {
        int hops = 0;
        return walk(start, path, throughLink, missing, request, hops);
    }

    Resolution walk(RegistryKeyNode* start, std::u16string_view path, bool throughLink, Missing missing,
                    const CreateRequest& request, int& hops) {
        Resolution result;
        result.throughLink = throughLink;
        RegistryKeyNode* node = start;
        for (std::u16string_view segment = NextSegment(path); !segment.empty(); segment = NextSegment(path)) {
            RegistryKeyNode* child = node->findSubKey(segment);
            if (child == nullptr) {
                if (missing == Missing::Fail) return Resolution{ERROR_FILE_NOT_FOUND};
                return createChain(node, segment, path, result.throughLink, request);
            }
            if (child->isLink) {
                child = followLink(child, hops);
                if (child == nullptr) return Resolution{ERROR_FILE_NOT_FOUND};
                result.throughLink = true;
            }
            node = child;
        }
        result.node = node;
        return result;
    }

    // Creates segment and every level after it under parent, once all their names are valid.
    Resolution createChain(RegistryKeyNode* parent, std::u16string_view segment, std::u16string_view rest,
                           bool throughLink, const CreateRequest& request) {
        std::u16string_view check = rest;
        for (std::u16string_view name = segment; !name.empty(); name = NextSegment(check)) {
            if (name.size() > kMaxKeyNameLength) return Resolution{ERROR_INVALID_PARAMETER};
        }
        const std::uint64_t time = now();
        RegistryKeyNode* node = parent;
        for (std::u16string_view name = segment; !name.empty(); name = NextSegment(rest)) {
            node->lastWriteTime = time;
            node = node->addSubKey(name);
            node->lastWriteTime = time;
            node->isVolatile = request.isVolatile;
        }
        return Resolution{ERROR_SUCCESS, node, throughLink, true};
    }

    // The key a link points at, after following any further links; null on a dangling
    // link, a loop, or a target that is not a "\Registry" path.
    RegistryKeyNode* followLink(RegistryKeyNode* link, int& hops) {
        while (link->isLink) {
            if (++hops > kMaxLinkHops) return nullptr;
            const RegistryValueData* value = link->values.find(kLinkValueName);
            if (value == nullptr || value->type != REG_LINK) return nullptr;
            std::u16string target;
            DecodeUtf16(value->data, target);
            while (!target.empty() && target.back() == u'\0') target.pop_back();
            std::u16string_view rest = target;
            if (rest.empty() || rest.front() != u'\\') return nullptr;
            rest.remove_prefix(1);
            if (CompareRegistryNames(NextSegment(rest), kRootName) != 0) return nullptr;
            const Resolution resolved = walk(root.get(), rest, true, Missing::Fail, CreateRequest{}, hops);
            if (resolved.status != ERROR_SUCCESS) return nullptr;
            link = resolved.node;
        }
        return link;
    }

    // The key a delete names: the handle's own key for an empty path.
    LONG resolveForDelete(HKEY key, const char* subKey, Resolution& target) {
        KeyRef base;
        if (const LONG status = lookup(key, base); status != ERROR_SUCCESS) return status;
        std::u16string_view path = convertName(subKey);
        if (!path.empty() && path.front() == u'\\') return ERROR_BAD_PATHNAME;
        std::u16string_view probe = path;
        if (NextSegment(probe).empty()) {
            // Win32 deletes the handle's own key here; a root itself is never deleted.
            if (base.predefined) return ERROR_ACCESS_DENIED;
            target = Resolution{ERROR_SUCCESS, base.node, base.throughLink};
            return ERROR_SUCCESS;
        }
        target = walk(base.node, path, base.throughLink, Missing::Fail, CreateRequest{});
        return target.status;
    }

    // --- Changes ---

    void noteChange(RegistryKeyNode& node) {
        node.lastWriteTime = now();
        ++changes;
    }

    bool subtreeHoldsUndeletable(RegistryKeyNode* top, const RootTargets& targets) {
        std::vector<RegistryKeyNode*> pending{top};
        while (!pending.empty()) {
            RegistryKeyNode* node = pending.back();
            pending.pop_back();
            if (IsGuarded(*node) || isRootTarget(node, targets)) return true;
            for (const auto& child : node->subKeys) pending.push_back(child.get());
        }
        return false;
    }

    // Unhooks a key from its parent and marks it and everything below it deleted, so
    // that handles still holding any of them answer ERROR_KEY_DELETED.
    void detach(RegistryKeyNode* target) {
        RegistryKeyNode* parent = target->parent;
        std::shared_ptr<RegistryKeyNode>* slot = owningSlot(target);
        if (slot == nullptr) return;
        std::vector<std::shared_ptr<RegistryKeyNode>> doomed;
        doomed.push_back(std::move(*slot));
        parent->subKeys.erase(parent->subKeys.begin() + (slot - parent->subKeys.data()));
        for (std::size_t i = 0; i < doomed.size(); ++i) {
            RegistryKeyNode* node = doomed[i].get();
            node->isDeleted = true;
            node->parent = nullptr;
            for (auto& child : node->subKeys) doomed.push_back(std::move(child));
            node->subKeys.clear();
        }
        noteChange(*parent);
    }

    // --- Output ---

    // Copies text and its NUL when both fit in *length characters; on success *length
    // becomes the characters copied without the NUL. Nothing is written on failure.
    LONG copyName(std::u16string_view text, char* buffer, DWORD* length) const {
        const DWORD capacity = *length;
        if (capacity == 0) return ERROR_MORE_DATA;
        const std::size_t needed = codePage().toAnsi(text, buffer, capacity - 1);
        if (needed + 1 > capacity) return ERROR_MORE_DATA;
        buffer[needed] = '\0';
        *length = static_cast<DWORD>(needed);
        return ERROR_SUCCESS;
    }

    // A key class where the caller may pass a null buffer to learn the length.
    LONG copyClass(const RegistryKeyNode& node, char* buffer, DWORD* length) const {
        if (length == nullptr) return buffer == nullptr ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
        if (buffer == nullptr) {
            *length = ClampToDword(codePage().ansiLength(node.keyClass));
            return ERROR_SUCCESS;
        }
        return copyName(node.keyClass, buffer, length);
    }

    // Value data as an "A" caller sees it: string types in ANSI, others raw.
    // *dataLength always ends as the size the data needs.
    LONG copyData(const RegistryValueData& value, BYTE* data, DWORD* dataLength) {
        if (dataLength == nullptr) return ERROR_SUCCESS;
        const DWORD capacity = data == nullptr ? 0 : *dataLength;
        std::size_t needed;
        if (IsStringType(value.type)) {
            DecodeUtf16(value.data, dataBuffer);
            needed = codePage().toAnsi(dataBuffer, reinterpret_cast<char*>(data), capacity);
        } else {
            needed = value.data.size();
            if (needed <= capacity && needed > 0) std::memcpy(data, value.data.data(), needed);
        }
        *dataLength = ClampToDword(needed);
        return data != nullptr && needed > capacity ? ERROR_MORE_DATA : ERROR_SUCCESS;
    }

    std::size_t ansiDataSize(const RegistryValueData& value) {
        if (!IsStringType(value.type) || codePage().isSingleByte()) return value.data.size();
        DecodeUtf16(value.data, dataBuffer);
        return std::max(value.data.size(), codePage().ansiLength(dataBuffer));
    }
};

MemoryRegistry::MemoryRegistry(CodePage codePage, RegistryFamily family)
    : m_impl(std::make_unique<Impl>(*this)), m_codePage(std::move(codePage)), m_family(family) {
    for (const HKEY key : kSupportedRoots) {
        Impl::KeyRef ref;
        m_impl->lookup(key, ref);
    }
}

MemoryRegistry::~MemoryRegistry() = default;

LONG MemoryRegistry::RegOpenKeyA(HKEY key, const char* subKey, HKEY* result) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    // Win32 hands back a predefined root itself for an empty path.
    if (IsPredefined(key) && (subKey == nullptr || *subKey == '\0')) {
        *result = 0;
        if (PredefinedPath(key).empty()) return ERROR_INVALID_HANDLE;
        *result = key;
        return ERROR_SUCCESS;
    }
    return RegOpenKeyExA(key, subKey, 0, KEY_ALL_ACCESS, result);
}

LONG MemoryRegistry::RegOpenKeyExA(HKEY key, const char* subKey, DWORD /*options*/, REGSAM /*access*/,
                                   HKEY* result) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    *result = 0;
    std::lock_guard lock(m_impl->mutex);
    Impl::KeyRef base;
    if (const LONG status = m_impl->lookup(key, base); status != ERROR_SUCCESS) return status;
    const std::u16string_view path = m_impl->convertName(subKey);
    if (!path.empty() && path.front() == u'\\') return ERROR_BAD_PATHNAME;
    const Impl::Resolution resolved =
        m_impl->walk(base.node, path, base.throughLink, Impl::Missing::Fail, Impl::CreateRequest{});
    if (resolved.status != ERROR_SUCCESS) return resolved.status;
    return m_impl->issueHandle(resolved.node, resolved.throughLink, result);
}

LONG MemoryRegistry::RegCreateKeyA(HKEY key, const char* subKey, HKEY* result) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    if (IsPredefined(key) && (subKey == nullptr || *subKey == '\0')) return RegOpenKeyA(key, subKey, result);
    return RegCreateKeyExA(key, subKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, result, nullptr);
}

LONG MemoryRegistry::RegCreateKeyExA(HKEY key, const char* subKey, DWORD /*reserved*/, char* keyClass,
                                     DWORD options, REGSAM /*access*/, void* /*securityAttributes*/, HKEY* result,
                                     DWORD* disposition) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    *result = 0;
    std::lock_guard lock(m_impl->mutex);
    Impl::KeyRef base;
    if (const LONG status = m_impl->lookup(key, base); status != ERROR_SUCCESS) return status;
    const std::u16string_view path = m_impl->convertName(subKey);
    if (!path.empty() && path.front() == u'\\') return ERROR_BAD_PATHNAME;
    Impl::CreateRequest request;
    request.isVolatile = (options & REG_OPTION_VOLATILE) != 0;
    const Impl::Resolution resolved = m_impl->walk(base.node, path, base.throughLink, Impl::Missing::Create, request);
    if (resolved.status != ERROR_SUCCESS) return resolved.status;
    if (resolved.created) {
        if (keyClass != nullptr) {
            resolved.node->keyClass = m_codePage.toUtf16(keyClass);
            resolved.node->hasClass = true;
        }
        ++m_impl->changes;
    }
    if (disposition != nullptr) *disposition = resolved.created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return m_impl->issueHandle(resolved.node, resolved.throughLink, result);
}

LONG MemoryRegistry::QueryKeyName(HKEY key, std::string& name) {
    std::lock_guard lock(m_impl->mutex);
    Impl::KeyRef ref;
    if (const LONG status = m_impl->lookup(key, ref); status != ERROR_SUCCESS) return status;
    name = m_codePage.toAnsi(ref.node->name);
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::QueryKeyPath(HKEY key, std::string& path) {
    std::lock_guard lock(m_impl->mutex);
    Impl::KeyRef ref;
    if (const LONG status = m_impl->lookup(key, ref); status != ERROR_SUCCESS) return status;
    std::vector<const RegistryKeyNode*> chain;
    for (const RegistryKeyNode* node = ref.node; node->parent != nullptr; node = node->parent) chain.push_back(node);
    path = "\\Registry";
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        path += '\\';
        path += m_codePage.toAnsi((*it)->name);
    }
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::RegQueryInfoKeyA(HKEY key, char* keyClass, DWORD* classLength, DWORD* reserved,
                                      DWORD* subKeys, DWORD* maxSubKeyLength, DWORD* maxClassLength, DWORD* values,
                                      DWORD* maxValueNameLength, DWORD* maxValueLength,
                                      DWORD* securityDescriptorLength, FILETIME* lastWriteTime) {
    if (reserved != nullptr) return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(m_impl->mutex);
    Impl::KeyRef ref;
    if (const LONG status = m_impl->lookup(key, ref); status != ERROR_SUCCESS) return status;
    const RegistryKeyNode& node = *ref.node;
    if (const LONG status = m_impl->copyClass(node, keyClass, classLength); status != ERROR_SUCCESS) return status;

    const bool singleByte = m_codePage.isSingleByte();
    auto ansiLength = [&](std::u16string_view text) {
        return singleByte ? text.size() : m_codePage.ansiLength(text);
    };
    if (maxSubKeyLength != nullptr || maxClassLength != nullptr) {
        std::size_t longestName = 0;
        std::size_t longestClass = 0;
        for (const auto& child : node.subKeys) {
            longestName = std::max(longestName, ansiLength(child->name));
            longestClass = std::max(longestClass, ansiLength(child->keyClass));
        }
        if (maxSubKeyLength != nullptr) *maxSubKeyLength = ClampToDword(longestName);
        if (maxClassLength != nullptr) *maxClassLength = ClampToDword(longestClass);
    }
    if (maxValueNameLength != nullptr || maxValueLength != nullptr) {
        std::size_t longestName = 0;
        std::size_t longestData = 0;
        for (const auto& value : node.values) {
            longestName = std::max(longestName, ansiLength(value.name));
            if (maxValueLength != nullptr) longestData = std::max(longestData, m_impl->ansiDataSize(value));
        }
        if (maxValueNameLength != nullptr) *maxValueNameLength = ClampToDword(longestName);
        if (maxValueLength != nullptr) *maxValueLength = ClampToDword(longestData);
    }
    if (subKeys != nullptr) *subKeys = ClampToDword(node.subKeys.size());
    if (values != nullptr) *values = ClampToDword(node.values.size());
    if (securityDescriptorLength != nullptr) *securityDescriptorLength = 0;
    if (lastWriteTime != nullptr) *lastWriteTime = ToFileTime(node.lastWriteTime);
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::RegEnumKeyExA(HKEY key, DWORD index, char* name, DWORD* nameLength, DWORD* reserved,
                                   char* keyClass, DWORD* classLength, FILETIME* lastWriteTime) {
    if (name == nullptr || nameLength == nullptr || reserved != nullptr) return ERROR_INVALID_PARAMETER;
    if (keyClass != nullptr && classLength == nullptr) return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(m_impl->mutex);
    Impl::KeyRef ref;
    if (const LONG status = m_impl->lookup(key, ref); status != ERROR_SUCCESS) return status;
    if (index >= ref.node->subKeys.size()) return ERROR_NO_MORE_ITEMS;
    const RegistryKeyNode& child = *ref.node->subKeys[index];
    if (const LONG status = m_impl->copyName(child.name, name, nameLength); status != ERROR_SUCCESS) return status;
    if (const LONG status = m_impl->copyClass(child, keyClass, classLength); status != ERROR_SUCCESS) return status;
    if (lastWriteTime != nullptr) *lastWriteTime = ToFileTime(child.lastWriteTime);
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::RegEnumValueA(HKEY key, DWORD index, char* valueName, DWORD* valueNameLength,
                                   DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataLength) {
    if (valueName == nullptr || valueNameLength == nullptr || reserved != nullptr) return ERROR_INVALID_PARAMETER;
    if (data != nullptr && dataLength == nullptr) return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(m_impl->mutex);
    Impl::KeyRef ref;
    if (const LONG status = m_impl->lookup(key, ref); status != ERROR_SUCCESS) return status;
    if (index >= ref.node->values.size()) return ERROR_NO_MORE_ITEMS;
    const RegistryValueData& value = ref.node->values[index];
    if (const LONG status = m_impl->copyName(value.name, valueName, valueNameLength); status != ERROR_SUCCESS) {
        return status;
    }
    if (type != nullptr) *type = value.type;
    return m_impl->copyData(value, data, dataLength);
}

LONG MemoryRegistry::RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                                      DWORD* dataLength) {
    if (reserved != nullptr || (data != nullptr && dataLength == nullptr)) return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(m_impl->mutex);
    Impl::KeyRef ref;
    if (const LONG status = m_impl->lookup(key, ref); status != ERROR_SUCCESS) return status;
    const RegistryValueData* value = ref.node->values.find(m_impl->convertName(valueName));
    if (value == nullptr) return ERROR_FILE_NOT_FOUND;
    if (type != nullptr) *type = value->type;
    return m_impl->copyData(*value, data, dataLength);
}

LONG MemoryRegistry::RegSetValueExA(HKEY key, const char* valueName, DWORD /*reserved*/, DWORD type,
                                    const BYTE* data, DWORD dataLength) {
    if (data == nullptr && dataLength != 0) return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(m_impl->mutex);
    Impl::KeyRef ref;
    if (const LONG status = m_impl->lookup(key, ref); status != ERROR_SUCCESS) return status;
    const std::u16string_view name = m_impl->convertName(valueName);
    if (name.size() > kMaxValueNameLength) return ERROR_INVALID_PARAMETER;

    RegistryValueData* value = ref.node->values.find(name);
    if (value == nullptr) value = &ref.node->values.push_back(RegistryValueData{std::u16string(name), type, {}});
    value->type = type;
    if (IsStringType(type)) {
        // Exactly the bytes given: a string stored without its NUL reads back without one.
        const std::string_view ansi(reinterpret_cast<const char*>(data), dataLength);
        m_codePage.toUtf16(ansi, m_impl->dataBuffer);
        EncodeUtf16(m_impl->dataBuffer, value->data);
    } else {
        value->data.assign(data, data + dataLength);
    }
    m_impl->noteChange(*ref.node);
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::RegDeleteKeyA(HKEY key, const char* subKey) {
    std::lock_guard lock(m_impl->mutex);
    Impl::Resolution target;
    if (const LONG status = m_impl->resolveForDelete(key, subKey, target); status != ERROR_SUCCESS) return status;
    RegistryKeyNode* node = target.node;
    // A cleaner must never remove what a link leads to, nor the keys behind the roots.
    const Impl::RootTargets rootTargets = m_impl->rootTargets();
    if (target.throughLink || IsGuardedOrBelowGuarded(node) || Impl::isRootTarget(node, rootTargets)) {
        return ERROR_ACCESS_DENIED;
    }
    if (m_family == RegistryFamily::WindowsNT) {
        if (!node->subKeys.empty()) return ERROR_ACCESS_DENIED;
    } else if (m_impl->subtreeHoldsUndeletable(node, rootTargets)) {
        return ERROR_ACCESS_DENIED;
    }
    m_impl->detach(node);
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::RegDeleteValueA(HKEY key, const char* valueName) {
    std::lock_guard lock(m_impl->mutex);
    Impl::KeyRef ref;
    if (const LONG status = m_impl->lookup(key, ref); status != ERROR_SUCCESS) return status;
    if (ref.throughLink || IsGuardedOrBelowGuarded(ref.node)) return ERROR_ACCESS_DENIED;
    RegistryValueData* value = ref.node->values.find(m_impl->convertName(valueName));
    if (value == nullptr) return ERROR_FILE_NOT_FOUND;
    ref.node->values.remove(value);
    m_impl->noteChange(*ref.node);
    return ERROR_SUCCESS;
}

LONG MemoryRegistry::RegCloseKey(HKEY key) {
    if (IsPredefined(key)) return PredefinedPath(key).empty() ? ERROR_INVALID_HANDLE : ERROR_SUCCESS;
    std::lock_guard lock(m_impl->mutex);
    Impl::OpenKey* open = m_impl->findHandle(key);
    if (open == nullptr) return ERROR_INVALID_HANDLE;
    m_impl->releaseHandle(*open);
    return ERROR_SUCCESS;
}

void MemoryRegistry::setCodePage(CodePage codePage) {
    std::lock_guard lock(m_impl->mutex);
    m_codePage = std::move(codePage);
}

void MemoryRegistry::setClock(Clock clock) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->clock = clock ? std::move(clock) : Clock(SystemFileTime);
}

RegistryKeyNode& MemoryRegistry::root() { return *m_impl->root; }

RegistryKeyNode* MemoryRegistry::findNode(std::u16string_view ntPath) {
    std::lock_guard lock(m_impl->mutex);
    if (ntPath.empty() || ntPath.front() != u'\\') return nullptr;
    ntPath.remove_prefix(1);
    if (CompareRegistryNames(NextSegment(ntPath), kRootName) != 0) return nullptr;
    RegistryKeyNode* node = m_impl->root.get();
    for (std::u16string_view segment = NextSegment(ntPath); !segment.empty() && node != nullptr;
         segment = NextSegment(ntPath)) {
        node = node->findSubKey(segment);
    }
    return node;
}

bool MemoryRegistry::setProtected(HKEY root, std::string_view subKey, bool isProtected) {
    std::lock_guard lock(m_impl->mutex);
    Impl::KeyRef base;
    if (m_impl->lookup(root, base) != ERROR_SUCCESS) return false;
    m_codePage.toUtf16(subKey, m_impl->nameBuffer);
    const Impl::Resolution resolved =
        m_impl->walk(base.node, m_impl->nameBuffer, base.throughLink, Impl::Missing::Fail, Impl::CreateRequest{});
    if (resolved.status != ERROR_SUCCESS) return false;
    resolved.node->isProtected = isProtected;
    return true;
}

std::uint64_t MemoryRegistry::changeCount() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->changes;
}

std::size_t MemoryRegistry::openHandleCount() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->slots.size() - m_impl->freeSlots.size();
}

}  // namespace brindle
