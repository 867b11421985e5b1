#pragma once
// The maker's web presence, shown and opened by the About box and both main windows.

// The host name that the link labels show.
inline constexpr char VarnekHost[] = "www.varnek.example";
// The home page that a click on such a label opens.
inline constexpr char VarnekHomePage[] = "https://www.varnek.example/";
