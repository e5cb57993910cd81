#pragma once

namespace tessary {
class MessageSink;
}

namespace tessary::cli {

// The device library for one run of the tool: initialised by Start, shut down with this object.
class DeviceLibrary {
  public:
    DeviceLibrary() = default;
    ~DeviceLibrary();
    DeviceLibrary(const DeviceLibrary&) = delete;
    DeviceLibrary& operator=(const DeviceLibrary&) = delete;

    // Initialises the device library; a failure is reported.
    bool Start(MessageSink& messages);

  private:
    bool started_ = false;
};

} // namespace tessary::cli
