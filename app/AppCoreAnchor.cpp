// Keeps the widget-free app library non-empty until its folders hold sources.
