// The sd-bus functions this program calls, taken from libsystemd.so.0 on the first call
// instead of at start-up: loading the library with its compression and cryptography
// libraries costs every process a third of its start, and only ejecting and relabelling
// talk to the system bus. Without the library every call fails as if there were no bus
// (-ENOSYS), and releasing nothing does nothing.
//
// These definitions stand in for the library's own (the programs are not linked with
// it); they are hidden, so no other library of a process ever sees them.
#include <dlfcn.h>
#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstdarg>
#include <mutex>

namespace {

struct SdBus {
  decltype(&sd_bus_open_system) openSystem = nullptr;
  decltype(&sd_bus_flush_close_unref) flushCloseUnref = nullptr;
  decltype(&sd_bus_call) call = nullptr;
  decltype(&sd_bus_call_methodv) callMethodv = nullptr;
  decltype(&sd_bus_message_new_method_call) newMethodCall = nullptr;
  decltype(&sd_bus_message_unref) messageUnref = nullptr;
  decltype(&sd_bus_message_appendv) appendv = nullptr;
  decltype(&sd_bus_message_readv) readv = nullptr;
  decltype(&sd_bus_message_skip) skip = nullptr;
  decltype(&sd_bus_message_enter_container) enterContainer = nullptr;
  decltype(&sd_bus_message_exit_container) exitContainer = nullptr;
  decltype(&sd_bus_message_at_end) atEnd = nullptr;
  decltype(&sd_bus_error_free) errorFree = nullptr;
  decltype(&sd_bus_error_has_name) errorHasName = nullptr;
};

template <typename F> bool resolve(void *library, const char *name, F &function) {
  function = reinterpret_cast<F>(dlsym(library, name));
  return function != nullptr;
}

// All of the functions, or null when the library or any of them is missing.
const SdBus *sdBus() {
  static SdBus functions;
  static bool loaded = false;
  static std::once_flag once;
  std::call_once(once, [] {
    void *library = dlopen("libsystemd.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library) return;
    SdBus f;
    loaded = resolve(library, "sd_bus_open_system", f.openSystem) &&
             resolve(library, "sd_bus_flush_close_unref", f.flushCloseUnref) &&
             resolve(library, "sd_bus_call", f.call) && resolve(library, "sd_bus_call_methodv", f.callMethodv) &&
             resolve(library, "sd_bus_message_new_method_call", f.newMethodCall) &&
             resolve(library, "sd_bus_message_unref", f.messageUnref) &&
             resolve(library, "sd_bus_message_appendv", f.appendv) &&
             resolve(library, "sd_bus_message_readv", f.readv) && resolve(library, "sd_bus_message_skip", f.skip) &&
             resolve(library, "sd_bus_message_enter_container", f.enterContainer) &&
             resolve(library, "sd_bus_message_exit_container", f.exitContainer) &&
             resolve(library, "sd_bus_message_at_end", f.atEnd) && resolve(library, "sd_bus_error_free", f.errorFree) &&
             resolve(library, "sd_bus_error_has_name", f.errorHasName);
    if (loaded) functions = f;
  });
  return loaded ? &functions : nullptr;
}

} // namespace

extern "C" {

int sd_bus_open_system(sd_bus **ret) {
  const SdBus *f = sdBus();
  return f ? f->openSystem(ret) : -ENOSYS;
}

sd_bus *sd_bus_flush_close_unref(sd_bus *bus) {
  const SdBus *f = sdBus();
  return f && bus ? f->flushCloseUnref(bus) : nullptr;
}

int sd_bus_call(sd_bus *bus, sd_bus_message *m, uint64_t usec, sd_bus_error *ret_error, sd_bus_message **reply) {
  const SdBus *f = sdBus();
  return f ? f->call(bus, m, usec, ret_error, reply) : -ENOSYS;
}

int sd_bus_call_method(sd_bus *bus, const char *destination, const char *path, const char *interface,
                       const char *member, sd_bus_error *ret_error, sd_bus_message **reply, const char *types, ...) {
  const SdBus *f = sdBus();
  if (!f) return -ENOSYS;
  va_list ap;
  va_start(ap, types);
  const int r = f->callMethodv(bus, destination, path, interface, member, ret_error, reply, types, ap);
  va_end(ap);
  return r;
}

int sd_bus_message_new_method_call(sd_bus *bus, sd_bus_message **m, const char *destination, const char *path,
                                   const char *interface, const char *member) {
  const SdBus *f = sdBus();
  return f ? f->newMethodCall(bus, m, destination, path, interface, member) : -ENOSYS;
}

sd_bus_message *sd_bus_message_unref(sd_bus_message *m) {
  const SdBus *f = sdBus();
  return f && m ? f->messageUnref(m) : nullptr;
}

int sd_bus_message_append(sd_bus_message *m, const char *types, ...) {
  const SdBus *f = sdBus();
  if (!f) return -ENOSYS;
  va_list ap;
  va_start(ap, types);
  const int r = f->appendv(m, types, ap);
  va_end(ap);
  return r;
}

int sd_bus_message_read(sd_bus_message *m, const char *types, ...) {
  const SdBus *f = sdBus();
  if (!f) return -ENOSYS;
  va_list ap;
  va_start(ap, types);
  const int r = f->readv(m, types, ap);
  va_end(ap);
  return r;
}

int sd_bus_message_skip(sd_bus_message *m, const char *types) {
  const SdBus *f = sdBus();
  return f ? f->skip(m, types) : -ENOSYS;
}

int sd_bus_message_enter_container(sd_bus_message *m, char type, const char *contents) {
  const SdBus *f = sdBus();
  return f ? f->enterContainer(m, type, contents) : -ENOSYS;
}

int sd_bus_message_exit_container(sd_bus_message *m) {
  const SdBus *f = sdBus();
  return f ? f->exitContainer(m) : -ENOSYS;
}

int sd_bus_message_at_end(sd_bus_message *m, int complete) {
  const SdBus *f = sdBus();
  return f ? f->atEnd(m, complete) : -ENOSYS;
}

void sd_bus_error_free(sd_bus_error *e) {
  if (const SdBus *f = sdBus()) f->errorFree(e);
}

int sd_bus_error_has_name(const sd_bus_error *e, const char *name) {
  const SdBus *f = sdBus();
  return f ? f->errorHasName(e, name) : 0;
}

} // extern "C"
