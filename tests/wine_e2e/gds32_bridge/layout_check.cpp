// The program's own declarations of the client interface have one layout on Windows and on
// Linux of the same width, so that the test-only gds32.dll may hand every record through
// unchanged. Compiled twice: by the Windows build's compiler (the program's side) and by the
// host compiler for the Linux client of that width (the client's side), each asserting the
// same figures. The entry-point rows of the bridge are checked against the program's types.
#include <cstddef>
#include <type_traits>

#include "database/fbclient_api.h"

namespace {

using namespace database::fb;

// offsetof on the program's records; sizes where they matter.
template <std::size_t kPointer>
struct Figures;

template <>
struct Figures<4> {
  static constexpr std::size_t status = 4, handle = 4, var = 152, varData = 8, varInd = 12,
                               varName = 18, varRel = 52, varOwn = 86, varAlias = 120,
                               daSqldabc = 12, daSqln = 16, daSqld = 18, daVar = 20, da = 172,
                               block = 12, blockLength = 4, blockTpb = 8;
};

template <>
struct Figures<8> {
  static constexpr std::size_t status = 8, handle = 4, var = 160, varData = 8, varInd = 16,
                               varName = 26, varRel = 60, varOwn = 94, varAlias = 128,
                               daSqldabc = 12, daSqln = 16, daSqld = 18, daVar = 24, da = 184,
                               block = 24, blockLength = 8, blockTpb = 16;
};

using F = Figures<sizeof(void*)>;

static_assert(sizeof(Status) == F::status && sizeof(StatusVector) == 20 * F::status);
static_assert(sizeof(DbHandle) == F::handle && sizeof(IscLong) == 4);
static_assert(sizeof(Xsqlvar) == F::var);
static_assert(offsetof(Xsqlvar, sqllen) == 6 && offsetof(Xsqlvar, sqldata) == F::varData);
static_assert(offsetof(Xsqlvar, sqlind) == F::varInd);
static_assert(offsetof(Xsqlvar, sqlname) == F::varName);
static_assert(offsetof(Xsqlvar, relname) == F::varRel);
static_assert(offsetof(Xsqlvar, ownname) == F::varOwn);
static_assert(offsetof(Xsqlvar, aliasname) == F::varAlias);
static_assert(offsetof(Xsqlda, sqldaid) == 2 && offsetof(Xsqlda, sqldabc) == F::daSqldabc);
static_assert(offsetof(Xsqlda, sqln) == F::daSqln && offsetof(Xsqlda, sqld) == F::daSqld);
static_assert(offsetof(Xsqlda, sqlvar) == F::daVar && sizeof(Xsqlda) == F::da);
static_assert(sizeof(TransactionBlock) == F::block);
static_assert(offsetof(TransactionBlock, tpbLength) == F::blockLength);
static_assert(offsetof(TransactionBlock, tpb) == F::blockTpb);

// Each forwarded entry takes what the program passes and gives back what it expects.
#define GDS32_STDCALL(result, name, program_type, parameters, arguments, export_types) \
  static_assert(std::is_same_v<program_type, result(PLATFORM_FBCALL*) parameters>, #name);
#define GDS32_VARARGS(name, export_types)
#include "tests/wine_e2e/gds32_bridge/entry_points.h"
#undef GDS32_STDCALL
#undef GDS32_VARARGS

}  // namespace
