/* A test-only gds32.dll that is the real Firebird client: a Winelib DLL whose every export
 * forwards its call, arguments unchanged, to Debian's libfbclient.so.2 of the same width,
 * loaded on first use. The program under Wine then talks to a real server through the real
 * client: its calling convention, status vectors, descriptor areas and 8-bit database names
 * meet the real thing. Never shipped; built only under tests/.
 *
 * The records passed through (status vector, XSQLDA, transaction blocks) have one layout on
 * Windows and Linux of the same width; layout_check.cpp asserts that for the program's own
 * declarations. The Linux client reads the Unix environment Wine was started with (FIREBIRD
 * and the rest), not the Windows one. C, not C++: the 32-bit C++ library headers are not
 * needed for a forwarder. */
#include <dlfcn.h>
#include <pthread.h>
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

/* The Windows side's conventions, and the Linux client's (never the vendor's header: Wine
 * defines `cdecl` as a macro, and the Linux client's own convention is named here). */
#if defined(__x86_64__)
#define WINDOWS_CALL __attribute__((ms_abi))
#define LINUX_CALL __attribute__((sysv_abi))
typedef unsigned int ApiHandle; /* a 64-bit client's handles are 32-bit numbers */
typedef __builtin_ms_va_list WindowsVaList;
#define WINDOWS_VA_START(list, last) __builtin_ms_va_start(list, last)
#define WINDOWS_VA_END(list) __builtin_ms_va_end(list)
#else
#define WINDOWS_CALL __attribute__((__stdcall__))
#define LINUX_CALL __attribute__((__cdecl__))
typedef void* ApiHandle;
typedef va_list WindowsVaList;
#define WINDOWS_VA_START(list, last) va_start(list, last)
#define WINDOWS_VA_END(list) va_end(list)
#endif

typedef intptr_t Status;
typedef int32_t IscLong;
typedef ApiHandle DbHandle;
typedef ApiHandle TrHandle;
typedef ApiHandle StmtHandle;
typedef struct Xsqlda Xsqlda; /* passed through, never looked into */

/* One database of a transaction start, as isc_start_multiple takes it. */
typedef struct {
  DbHandle* database;
  int tpbLength;
  const char* tpb;
} TransactionBlock;

static void* client;
static pthread_once_t clientOnce = PTHREAD_ONCE_INIT;

static void LoadClient(void) {
  client = dlopen("libfbclient.so.2", RTLD_NOW | RTLD_LOCAL);
  if (!client) {
    fprintf(stderr, "gds32 bridge: cannot load libfbclient.so.2: %s\n", dlerror());
  }
}

/* The Linux function of that name; a test tool ends with a clear message when it is missing. */
static void* Resolve(const char* name) {
  pthread_once(&clientOnce, LoadClient);
  void* function = client ? dlsym(client, name) : NULL;
  if (!function) {
    fprintf(stderr, "gds32 bridge: libfbclient.so.2 has no %s\n", name);
    abort();
  }
  return function;
}

#define GDS32_STDCALL(result, name, program_type, parameters, arguments, export_types) \
  result WINDOWS_CALL bridge_##name parameters;                                        \
  result WINDOWS_CALL bridge_##name parameters {                                       \
    typedef result(LINUX_CALL* LinuxFn) parameters;                                    \
    static LinuxFn linux_function;                                                     \
    LinuxFn function = __atomic_load_n(&linux_function, __ATOMIC_ACQUIRE);             \
    if (!function) {                                                                   \
      function = (LinuxFn)Resolve(#name);                                              \
      __atomic_store_n(&linux_function, function, __ATOMIC_RELEASE);                   \
    }                                                                                  \
    return function arguments;                                                         \
  }
#define GDS32_VARARGS(name, export_types)
#include "entry_points.h"
#undef GDS32_STDCALL
#undef GDS32_VARARGS

/* isc_start_transaction has no fixed-argument twin in the client; its databases are handed
 * on, in order, to isc_start_multiple, which is what the client does with them itself. */
/* More than any test starts at once; beyond it the bridge refuses rather than cut. */
enum { kMostDatabases = 16 };

Status WINDOWS_CALL bridge_isc_start_transaction(Status* status, TrHandle* transaction, short count,
                                                 ...);
Status WINDOWS_CALL bridge_isc_start_transaction(Status* status, TrHandle* transaction, short count,
                                                 ...) {
  TransactionBlock blocks[kMostDatabases];
  if (count > kMostDatabases) {
    fprintf(stderr, "gds32 bridge: isc_start_transaction with %d databases\n", count);
    abort();
  }
  const int used = count < 0 ? 0 : count;
  WindowsVaList list;
  WINDOWS_VA_START(list, count);
  for (int i = 0; i < used; ++i) {
    blocks[i].database = __builtin_va_arg(list, DbHandle*);
    blocks[i].tpbLength = (int)__builtin_va_arg(list, long);
    blocks[i].tpb = __builtin_va_arg(list, const char*);
  }
  WINDOWS_VA_END(list);
  typedef Status(LINUX_CALL * StartMultiple)(Status*, TrHandle*, short, void*);
  const StartMultiple start_multiple = (StartMultiple)Resolve("isc_start_multiple");
  return start_multiple(status, transaction, count, blocks);
}
