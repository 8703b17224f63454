// Preloaded into the wlroots desktop portal of the tests' Wayland session. That portal
// insists on GPU buffers once its screen-sharing interface reports version 3 or later,
// and a session without a GPU has none; reporting version 2 keeps it on shared memory.
#include <dlfcn.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// sd-bus's vtable entry, as far as properties need it.
struct VtableEntry
{
    uint8_t type : 8;
    uint64_t flags : 56;
    union {
        struct
        {
            size_t elementSize;
        } start;
        struct
        {
            const char *member;
            const char *signature;
            void *get;
            void *set;
            size_t offset;
        } property;
    } x;
};

using AddVtable = int (*)(void *, void **, const char *, const char *, const VtableEntry *, void *);

} // namespace

extern "C" int sd_bus_add_object_vtable(void *bus, void **slot, const char *path, const char *interface,
                                        const VtableEntry *vtable, void *userdata)
{
    static const auto next = reinterpret_cast<AddVtable>(dlsym(RTLD_NEXT, "sd_bus_add_object_vtable"));
    if (interface && std::strcmp(interface, "org.freedesktop.impl.portal.ScreenCast") == 0 && vtable[0].type == '<') {
        const size_t size = vtable[0].x.start.elementSize;
        for (auto *at = reinterpret_cast<const char *>(vtable) + size;; at += size) {
            const auto *entry = reinterpret_cast<const VtableEntry *>(at);
            if (entry->type == '>')
                break;
            if (entry->type == 'P' && std::strcmp(entry->x.property.member, "version") == 0)
                *reinterpret_cast<uint32_t *>(static_cast<char *>(userdata) + entry->x.property.offset) = 2;
        }
    }
    return next(bus, slot, path, interface, vtable, userdata);
}
