// The script library every document engine gets through one "AddCode": the functions the
// document's expressions call (get__nodeValue, get__count, get__name_All, get__extend), the
// toJSONString/parseJSON members, then json2 for engines without a JSON object.
#pragma once

// The whole library text (ASCII, NUL-terminated); built once, lives until the process ends.
const char* scriptLibrary();
