#include "macro.h"
#include "choice.h"
#include "settings.h"

#include <cwchar>
#include <new>

enum : size_t {
    MostMacroArguments = 4,
};

// A number a macro gives is 0 or 1 to mean a choice; Lua hands numbers
// over as doubles.
static bool ZeroOrOne(const FarMacroValue &value, DWORD &choice)
{
    double number = value.Type == FMVT_INTEGER ? double(value.Integer) : value.Type == FMVT_DOUBLE ? value.Double : -1;
    if (number != 0 && number != 1)
        return false;
    choice = DWORD(number);
    return true;
}

static bool Target(const FarMacroValue &value, DWORD &mode)
{
    if (value.Type != FMVT_STRING)
        return ZeroOrOne(value, mode);
    bool toLf = value.String && _wcsicmp(value.String, L"unix") == 0;
    if (!toLf && !(value.String && _wcsicmp(value.String, L"windows") == 0))
        return false;
    mode = toLf ? ModeToLf : ModeToCrLf;
    return true;
}

static bool YesOrNo(const FarMacroValue &value, DWORD &choice)
{
    if (value.Type != FMVT_BOOLEAN)
        return ZeroOrOne(value, choice);
    choice = value.Boolean != 0;
    return true;
}

// The macro cannot be shown what is wrong with its masks: it gets false.
static bool Masks(const FarMacroValue &value, std::wstring &masks)
{
    if (value.Type != FMVT_STRING)
        return false;
    masks = MasksOf(value.String);
    return MasksValid(masks, false);
}

bool TakeMacroArguments(const OpenMacroInfo *call)
{
    size_t count = call && call->StructSize >= sizeof *call && call->Values ? call->Count : 0;
    if (count > MostMacroArguments)
        return false;
    auto given = [call, count](size_t i) {
        return i < count && call->Values[i].Type != FMVT_NIL && call->Values[i].Type != FMVT_UNKNOWN;
    };
    const FarMacroValue *value = count ? call->Values : nullptr;
    return (!given(0) || Target(value[0], Settings.ConvertMode)) &&
           (!given(1) || YesOrNo(value[1], Settings.ProcessSubDir)) &&
           (!given(2) || Masks(value[2], WideSettings.Masks)) &&
           (!given(3) || YesOrNo(value[3], WideSettings.ConvertBinary));
}

struct Answer {
    FarMacroCall call;
    FarMacroValue values[2];
};

static void WINAPI FreeAnswer(void *answer, FarMacroValue *, size_t)
{
    delete (Answer *)answer;
}

HANDLE MacroAnswer(size_t converted, size_t notConverted)
{
    Answer *answer = new (std::nothrow) Answer();
    if (!answer)
        return nullptr;
    answer->values[0].Type = answer->values[1].Type = FMVT_INTEGER;
    answer->values[0].Integer = int64_t(converted);
    answer->values[1].Integer = int64_t(notConverted);
    answer->call = {sizeof answer->call, 2, answer->values, FreeAnswer, answer};
    return (HANDLE)&answer->call;
}
