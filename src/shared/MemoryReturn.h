#pragma once

class QObject;

// Makes the C library hand large blocks (a 16 MiB frame, its copies, a grown read
// buffer) straight back to the system when they are freed. By default glibc raises
// its threshold for that to the largest block freed so far, up to 32 MiB; after one
// burst of big frames such blocks come from the heap instead, and the memory stays
// with the process, scattered between smaller blocks that live on. Called once, first
// thing in main.
void ReturnLargeBlocksToTheSystem();

// Once a minute, hands the heap's free pages back to the system. After a flood the
// heap keeps the pages of the blocks it freed wherever they lie between blocks that
// live on, and glibc by itself gives back only those at the heap's very end. The timer
// belongs to owner.
void ReturnFreeHeapPagesEveryMinute(QObject *owner);

// Hands the heap's free pages back to the system at once: a measurement of RSS right
// after freeing much sees what the process still needs.
void ReturnFreeHeapPagesNow();
