#pragma once

// How the process's memory goes back to the system, where the C library lets it be told.

// At start: large blocks (the window's buffer, remade as the window takes its size; a settings
// file's text) get pages of their own, given back when they are freed, instead of leaving holes in
// the heap that stay resident.
void KeepLargeBlocksApart();
// Gives what is free in the heap back to the system (after the window's first paint: what making
// it freed would otherwise stay resident as long as the program runs).
void ReturnFreeMemory();
