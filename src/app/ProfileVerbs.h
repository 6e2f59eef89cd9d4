#pragma once

class TVerbs;
class TfmMain;

// Fills the verbs about pages and commands: --run, --add, --list, --export and --import. With a
// window they act through it as the user's own gestures do (a run is a click, an addition a drop
// on the page's tab, an import is shown at once and can be undone); without one only --list,
// --export and --import work, on the files alone.
void ConnectProfileVerbs(TVerbs& verbs, TfmMain* window);
