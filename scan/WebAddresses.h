// The product's web addresses, opened through the shell. Placeholders on the
// reserved .example domain until the product owner supplies the real ones.
#pragma once

namespace scanner {

inline constexpr char WebSiteAddress[] = "http://www.brenvald.example";
inline constexpr char TrialPageAddress[] = "http://www.brenvald.example/try-antispyware.htm";
inline constexpr char SupportMailAddress[] = "support@brenvald.example";
// What the Support item and the About box's e-mail link open.
inline constexpr char SupportMailLink[] = "mailto:support@brenvald.example";

} // namespace scanner
