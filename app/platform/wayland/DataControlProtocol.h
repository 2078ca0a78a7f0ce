#pragma once

#include <cstdint>

struct wl_interface;
struct wl_proxy;
struct wl_seat;

namespace stowline {

// The ext and wlr data-control protocols carry the same messages, in the same order and with the same arguments,
// under different interface names: one table names the interfaces and the requests are sent by opcode, so one
// clipboard serves both.
class DataControlProtocol {
public:
    // Event handlers, laid out as both protocols' generated listeners are.
    struct DeviceListener {
        void (*dataOffer)(void* data, wl_proxy* device, wl_proxy* offer);
        void (*selection)(void* data, wl_proxy* device, wl_proxy* offer);
        void (*finished)(void* data, wl_proxy* device);
        void (*primarySelection)(void* data, wl_proxy* device, wl_proxy* offer);
    };
    struct SourceListener {
        void (*send)(void* data, wl_proxy* source, const char* mimeType, int32_t fd);
        void (*cancelled)(void* data, wl_proxy* source);
    };
    struct OfferListener {
        void (*offer)(void* data, wl_proxy* offer, const char* mimeType);
    };

    static const DataControlProtocol& ext();
    static const DataControlProtocol& wlr();

    const char* name() const { return m_name; }
    const wl_interface* managerInterface() const { return m_manager; }
    uint32_t maximumVersion() const { return m_maximumVersion; }

    wl_proxy* createSource(wl_proxy* manager) const;
    wl_proxy* getDevice(wl_proxy* manager, wl_seat* seat) const;
    static void setSelection(wl_proxy* device, wl_proxy* source);
    static void offer(wl_proxy* source, const char* mimeType);
    static void receive(wl_proxy* offer, const char* mimeType, int fd);

    static void destroyManager(wl_proxy* manager);
    // Devices, sources and offers all have their destructor at the same opcode.
    static void destroyObject(wl_proxy* object);

    static void addListener(wl_proxy* object, const DeviceListener* listener, void* data);
    static void addListener(wl_proxy* object, const SourceListener* listener, void* data);
    static void addListener(wl_proxy* object, const OfferListener* listener, void* data);

private:
    constexpr DataControlProtocol(const char* name, const wl_interface* manager, const wl_interface* device,
                                  const wl_interface* source, uint32_t maximumVersion)
        : m_name(name), m_manager(manager), m_device(device), m_source(source), m_maximumVersion(maximumVersion) {}

    const char* m_name;
    const wl_interface* m_manager;
    const wl_interface* m_device;
    const wl_interface* m_source;
    uint32_t m_maximumVersion;
};

} // namespace stowline
