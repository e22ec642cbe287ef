#pragma once
// What the front end gives the application: its screen flow. Game thread only.

struct AppLinks;

// Fills the front end's links: the screen flow and the progress window.
void InstallFrontEnd(AppLinks& links);
