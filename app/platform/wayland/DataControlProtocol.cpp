#include "app/platform/wayland/DataControlProtocol.h"

#include <wayland-client.h>
#include <wayland/ext-data-control-v1-client-protocol.h>
#include <wayland/wlr-data-control-unstable-v1-client-protocol.h>

namespace stowline {

namespace {

// Sending by opcode is sound only while the two protocols agree message for message.
static_assert(EXT_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE == ZWLR_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE);
static_assert(EXT_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE == ZWLR_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE);
static_assert(EXT_DATA_CONTROL_MANAGER_V1_DESTROY == ZWLR_DATA_CONTROL_MANAGER_V1_DESTROY);
static_assert(EXT_DATA_CONTROL_DEVICE_V1_SET_SELECTION == ZWLR_DATA_CONTROL_DEVICE_V1_SET_SELECTION);
static_assert(EXT_DATA_CONTROL_DEVICE_V1_DESTROY == ZWLR_DATA_CONTROL_DEVICE_V1_DESTROY);
static_assert(EXT_DATA_CONTROL_SOURCE_V1_OFFER == ZWLR_DATA_CONTROL_SOURCE_V1_OFFER);
static_assert(EXT_DATA_CONTROL_SOURCE_V1_DESTROY == ZWLR_DATA_CONTROL_SOURCE_V1_DESTROY);
static_assert(EXT_DATA_CONTROL_OFFER_V1_RECEIVE == ZWLR_DATA_CONTROL_OFFER_V1_RECEIVE);
static_assert(EXT_DATA_CONTROL_OFFER_V1_DESTROY == ZWLR_DATA_CONTROL_OFFER_V1_DESTROY);
static_assert(EXT_DATA_CONTROL_DEVICE_V1_DESTROY == EXT_DATA_CONTROL_SOURCE_V1_DESTROY &&
              EXT_DATA_CONTROL_SOURCE_V1_DESTROY == EXT_DATA_CONTROL_OFFER_V1_DESTROY);
static_assert(sizeof(DataControlProtocol::DeviceListener) == sizeof(ext_data_control_device_v1_listener) &&
              sizeof(DataControlProtocol::DeviceListener) == sizeof(zwlr_data_control_device_v1_listener));
static_assert(sizeof(DataControlProtocol::SourceListener) == sizeof(ext_data_control_source_v1_listener) &&
              sizeof(DataControlProtocol::SourceListener) == sizeof(zwlr_data_control_source_v1_listener));
static_assert(sizeof(DataControlProtocol::OfferListener) == sizeof(ext_data_control_offer_v1_listener) &&
              sizeof(DataControlProtocol::OfferListener) == sizeof(zwlr_data_control_offer_v1_listener));

using Handlers = void (**)(void);

} // namespace

const DataControlProtocol& DataControlProtocol::ext() {
    static const DataControlProtocol protocol("ext", &ext_data_control_manager_v1_interface,
                                              &ext_data_control_device_v1_interface,
                                              &ext_data_control_source_v1_interface, 1);
    return protocol;
}

const DataControlProtocol& DataControlProtocol::wlr() {
    static const DataControlProtocol protocol("wlr", &zwlr_data_control_manager_v1_interface,
                                              &zwlr_data_control_device_v1_interface,
                                              &zwlr_data_control_source_v1_interface, 2);
    return protocol;
}

wl_proxy* DataControlProtocol::createSource(wl_proxy* manager) const {
    return wl_proxy_marshal_flags(manager, EXT_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE, m_source,
                                  wl_proxy_get_version(manager), 0, nullptr);
}

wl_proxy* DataControlProtocol::getDevice(wl_proxy* manager, wl_seat* seat) const {
    return wl_proxy_marshal_flags(manager, EXT_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE, m_device,
                                  wl_proxy_get_version(manager), 0, nullptr, seat);
}

void DataControlProtocol::setSelection(wl_proxy* device, wl_proxy* source) {
    wl_proxy_marshal_flags(device, EXT_DATA_CONTROL_DEVICE_V1_SET_SELECTION, nullptr, wl_proxy_get_version(device), 0,
                           source);
}

void DataControlProtocol::offer(wl_proxy* source, const char* mimeType) {
    wl_proxy_marshal_flags(source, EXT_DATA_CONTROL_SOURCE_V1_OFFER, nullptr, wl_proxy_get_version(source), 0,
                           mimeType);
}

void DataControlProtocol::receive(wl_proxy* offer, const char* mimeType, int fd) {
    wl_proxy_marshal_flags(offer, EXT_DATA_CONTROL_OFFER_V1_RECEIVE, nullptr, wl_proxy_get_version(offer), 0, mimeType,
                           fd);
}

void DataControlProtocol::destroyManager(wl_proxy* manager) {
    wl_proxy_marshal_flags(manager, EXT_DATA_CONTROL_MANAGER_V1_DESTROY, nullptr, wl_proxy_get_version(manager),
                           WL_MARSHAL_FLAG_DESTROY);
}

void DataControlProtocol::destroyObject(wl_proxy* object) {
    wl_proxy_marshal_flags(object, EXT_DATA_CONTROL_OFFER_V1_DESTROY, nullptr, wl_proxy_get_version(object),
                           WL_MARSHAL_FLAG_DESTROY);
}

void DataControlProtocol::addListener(wl_proxy* object, const DeviceListener* listener, void* data) {
    wl_proxy_add_listener(object, reinterpret_cast<Handlers>(const_cast<DeviceListener*>(listener)), data);
}

void DataControlProtocol::addListener(wl_proxy* object, const SourceListener* listener, void* data) {
    wl_proxy_add_listener(object, reinterpret_cast<Handlers>(const_cast<SourceListener*>(listener)), data);
}

void DataControlProtocol::addListener(wl_proxy* object, const OfferListener* listener, void* data) {
    wl_proxy_add_listener(object, reinterpret_cast<Handlers>(const_cast<OfferListener*>(listener)), data);
}

} // namespace stowline
