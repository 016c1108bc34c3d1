#include "remote/ScpiCommands.h"

#include <utility>

#include "remote/ScpiCommandTable.h"
#include "remote/ScpiCore.h"
#include "remote/ScpiHeader.h"

namespace remote {
namespace {

struct TCompiled {
  THeaderPattern Pattern;
  const TCommand* Command = nullptr;
  const TListCommand* List = nullptr;
};

const std::vector<TCompiled>& CompoundCommands() {
  static const std::vector<TCompiled> compiled = [] {
    std::vector<TCompiled> all;
    for (const auto table : {SystemCommands(), GeneratorCommands()})
      for (const TCommand& command : table)
        all.push_back({THeaderPattern(command.Pattern), &command, nullptr});
    for (const TListCommand& command : SiglentCommands())
      all.push_back({THeaderPattern(command.Pattern), nullptr, &command});
    return all;
  }();
  return compiled;
}

struct TFound {
  const TCommand* Command = nullptr;
  const TListCommand* List = nullptr;
  int Failure = error::UndefinedHeader;  // when neither was found
};

TFound Find(const THeader& header, const std::vector<std::string>& mnemonics) {
  TFound found;
  if (header.Common) {
    for (const TCommand& command : CommonCommands())
      if (mnemonics.front() == command.Pattern + 1) found.Command = &command;
    return found;
  }
  for (const TCompiled& entry : CompoundCommands()) {
    const auto match = entry.Pattern.Match(mnemonics);
    if (match == THeaderPattern::TMatch::Yes) return {entry.Command, entry.List, error::None};
    if (match == THeaderPattern::TMatch::BadSuffix) found.Failure = error::HeaderSuffixOutOfRange;
  }
  return found;
}

int RunQuery(const TCommand& command, const std::vector<TParam>& params, TCommandContext& context) {
  // A query answers even with parameters it does not take, so that the
  // client does not wait in vain; the surplus is reported.
  const std::size_t taken = command.QueryTakesLimit ? 1 : 0;
  if (params.size() > taken) context.Core.Status().PushError(error::ParameterNotAllowed);
  return command.Query(context, taken && !params.empty() ? &params.front() : nullptr);
}

int RunSetting(const TCommand& command, const std::vector<TParam>& params,
               TCommandContext& context) {
  const std::size_t needed = command.SetTakesValue ? 1 : 0;
  if (params.size() < needed) return error::MissingParameter;
  if (params.size() > needed) return error::ParameterNotAllowed;
  return command.Set(context, needed ? &params.front() : nullptr);
}

// A dialect command: its query takes no parameter, its setting a list.
int RunList(const TListCommand& command, bool query, const std::vector<TParam>& params,
            TCommandContext& context) {
  if (!query) return command.Set ? command.Set(context, params) : error::UndefinedHeader;
  if (!command.Query) return error::UndefinedHeader;
  if (!params.empty()) context.Core.Status().PushError(error::ParameterNotAllowed);
  return command.Query(context, nullptr);
}

}  // namespace

void RunCommand(const THeader& header, const std::vector<std::string>& mnemonics,
                const std::vector<TParam>& params, TCommandContext& context) {
  const TFound found = Find(header, mnemonics);
  int e = found.Failure;
  if (found.List) {
    e = RunList(*found.List, header.Query, params, context);
  } else if (found.Command) {
    const THandler handler = header.Query ? found.Command->Query : found.Command->Set;
    if (!handler)
      e = error::UndefinedHeader;
    else
      e = header.Query ? RunQuery(*found.Command, params, context)
                       : RunSetting(*found.Command, params, context);
  }
  if (e) context.Core.Status().PushError(e);
}

}  // namespace remote
