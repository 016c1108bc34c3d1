#include "remote/ScpiCommands.h"

#include <utility>

#include "remote/ScpiCommandTable.h"
#include "remote/ScpiCore.h"
#include "remote/ScpiHeader.h"

namespace remote {
namespace {

struct TCompiled {
  THeaderPattern Pattern;
  const TCommand* Command;
};

const std::vector<TCompiled>& CompoundCommands()
{
  static const std::vector<TCompiled> compiled = [] {
    std::vector<TCompiled> all;
    for (const auto table : {SystemCommands(), GeneratorCommands()})
      for (const TCommand& command : table) all.push_back({THeaderPattern(command.Pattern), &command});
    return all;
  }();
  return compiled;
}

// The command of the header, or the error that no command matched.
std::pair<const TCommand*, int> Find(const THeader& header, const std::vector<std::string>& mnemonics)
{
  if (header.Common) {
    for (const TCommand& command : CommonCommands())
      if (mnemonics.front() == command.Pattern + 1) return {&command, error::None};
    return {nullptr, error::UndefinedHeader};
  }
  int failure = error::UndefinedHeader;
  for (const TCompiled& entry : CompoundCommands()) {
    const auto match = entry.Pattern.Match(mnemonics);
    if (match == THeaderPattern::TMatch::Yes) return {entry.Command, error::None};
    if (match == THeaderPattern::TMatch::BadSuffix) failure = error::HeaderSuffixOutOfRange;
  }
  return {nullptr, failure};
}

int RunQuery(const TCommand& command, const std::vector<TParam>& params, TCommandContext& context)
{
  // A query answers even with parameters it does not take, so that the
  // client does not wait in vain; the surplus is reported.
  const std::size_t taken = command.QueryTakesLimit ? 1 : 0;
  if (params.size() > taken) context.Core.Status().PushError(error::ParameterNotAllowed);
  return command.Query(context, taken && !params.empty() ? &params.front() : nullptr);
}

int RunSetting(const TCommand& command, const std::vector<TParam>& params, TCommandContext& context)
{
  const std::size_t needed = command.SetTakesValue ? 1 : 0;
  if (params.size() < needed) return error::MissingParameter;
  if (params.size() > needed) return error::ParameterNotAllowed;
  return command.Set(context, needed ? &params.front() : nullptr);
}

}  // namespace

void RunCommand(const THeader& header, const std::vector<std::string>& mnemonics, const std::vector<TParam>& params,
                TCommandContext& context)
{
  const auto [command, failure] = Find(header, mnemonics);
  int e = failure;
  if (command) {
    const THandler handler = header.Query ? command->Query : command->Set;
    if (!handler)
      e = error::UndefinedHeader;
    else
      e = header.Query ? RunQuery(*command, params, context) : RunSetting(*command, params, context);
  }
  if (e) context.Core.Status().PushError(e);
}

}  // namespace remote
