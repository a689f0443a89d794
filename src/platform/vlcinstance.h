#pragma once

#include <memory>

struct libvlc_instance_t;

namespace marquetrix {

// The process-wide libVLC instance. Players and media hold a reference so that the
// instance outlives every object made from it.
class VlcInstance
{
public:
    ~VlcInstance();
    VlcInstance(const VlcInstance &) = delete;
    VlcInstance &operator=(const VlcInstance &) = delete;

    // nullptr when libVLC could not start (the failure is logged).
    static std::shared_ptr<VlcInstance> shared();

    libvlc_instance_t *handle() const { return m_handle; }

private:
    explicit VlcInstance(libvlc_instance_t *handle);

    libvlc_instance_t *m_handle;
};

} // namespace marquetrix
