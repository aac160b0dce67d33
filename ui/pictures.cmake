# pictures: sources added by its part.
