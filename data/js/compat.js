// The old browser's script interfaces for the course's pages.
