// Forced into every source of the libraries that must not use SFML (the
// puzzle and the leaderboard client): any SFML header, or any sf:: name,
// stops the build there.
#pragma GCC poison sf
