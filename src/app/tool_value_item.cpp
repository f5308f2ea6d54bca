// A free-standing group item of a given ESF type, for the tool's encode and decode commands.
#include "app/tool_value_item.h"

#include <string>

#include "platform/current_language.h"

ToolValueItem::ToolValueItem(std::string_view typeText) {
  // Day names of time values come from the language files; without them the texts have none.
  std::string error;
  LoadLanguage(0, &error);
  item = CreateGroupItem("1/2/3", "", typeText, 3, root, nullptr);
}
