#include "Game/rules/GRulesFacts.h"

#include "Game/base/GIDString.h"

namespace {

IRulesFacts g_noFacts;

}  // namespace

IRulesFacts* rules_facts_detail::current = &g_noFacts;

void RegisterRulesFacts(IRulesFacts* facts) { rules_facts_detail::current = facts != nullptr ? facts : &g_noFacts; }

int RulesLocalGuild() { return RulesFacts().LocalChapterId() >> 3; }

const char* FetchRulesText(const char* id, char* buffer, std::size_t size) {
  if (size == 0) return buffer;
  buffer[0] = '\0';
  if (const CIDString* texts = RulesFacts().Texts()) texts->GetText(id, buffer, size);
  return buffer;
}
